-- Map texts shared by the end-to-end scripts.
local sample_maps = {}

-- A world with two pairs and a relay that fires at door1.
sample_maps.relay = [[
world
{
	"id" "1"
	"classname" "worldspawn"
}
entity
{
	"id" "2"
	"classname" "logic_relay"
	"targetname" "relay1"
	connections
	{
		"OnTrigger" "door1,Open,,0,-1"
	}
}
]]

return sample_maps
