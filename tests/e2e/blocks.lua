-- Blocks through the script API: every block method's edit as Text() shows it,
-- an entity's block and the entity as one model, handles that die with their
-- blocks, and lines that agree with the parser's reports.
local check = require("check")

local map = table.concat({
  "world", "{", '\t"id" "1"', '\t"classname" "worldspawn"',
  "\tsolid", "\t{", '\t\t"id" "2"',
  "\t\tside", "\t\t{", '\t\t\t"id" "3"', '\t\t\t"material" "BRICK/A"', "\t\t}",
  "\t\tside", "\t\t{", '\t\t\t"id" "4"', '\t\t\t"material" "BRICK/B"', "\t\t}",
  "\t}", "}",
  "entity", "{", '\t"id" "5"', '\t"classname" "func_door"', '\t"targetname" "door"',
  "\tconnections", "\t{", '\t\t"OnOpen" "lamp,TurnOn,,0,-1"', "\t}",
  "\teditor", "\t{", '\t\t"visgroupid" "7"', "\t}",
  "}", "",
}, "\n")

local function parsed()
  local vmf = Mapwright.VMF()
  vmf:Parse(map)
  return vmf, vmf:FindBlock("world", 0), vmf:FindBlock("entity", 0)
end

-- Each edit, and the text it must give.
local function expectText(edit, from, to, what)
  local vmf, world, entity = parsed()
  edit(vmf, world, entity)
  local want = map:gsub(from:gsub("%p", "%%%0"), (to:gsub("%%", "%%%%")), 1)
  check.eq(vmf:Text(), want, what)
end

local sideA = '\t\tside\n\t\t{\n\t\t\t"id" "3"\n\t\t\t"material" "BRICK/A"\n\t\t}\n'
expectText(function(_, world) world:Block(0):Block(0):SetValue(1, "DEV/X") end,
           '"BRICK/A"', '"DEV/X"', "SetValue")
expectText(function(_, world) world:Block(0):Block(1):SetKey("MATERIAL", "DEV/Y") end,
           '"BRICK/B"', '"DEV/Y"', "SetKey matches keys without regard to case")
expectText(function(_, world) world:Block(0):Block(0):AddKey("rotation", "0") end,
           '"BRICK/A"\n', '"BRICK/A"\n\t\t\t"rotation" "0"\n', "AddKey")
expectText(function(_, world) world:Block(0):Block(0):RemoveKey("material") end,
           '\t\t\t"material" "BRICK/A"\n', "", "RemoveKey")
expectText(function(_, world) world:Block(0):RemoveBlock(0) end, sideA, "", "RemoveBlock")
expectText(function(_, world)
  local added = world:Block(0):AddBlock("side")
  added:AddKey("id", "9")
  added:AddBlock("dispinfo"):AddKey("power", "2")
  check.none(check.pack(added:Line()), "a new block has no line")
  check.none(check.pack(added:KeyLine(0)), "a new pair has no line")
end, '"BRICK/B"\n\t\t}\n', '"BRICK/B"\n\t\t}\n\t\tside\n\t\t{\n\t\t\t"id" "9"\n' ..
     '\t\t\tdispinfo\n\t\t\t{\n\t\t\t\t"power" "2"\n\t\t\t}\n\t\t}\n', "AddBlock")
expectText(function(vmf) vmf:FindBlock("entity", 0):Block(1):SetKey("visgroupid", "8") end,
           '"visgroupid" "7"', '"visgroupid" "8"', "FindBlock and a block inside an entity")

-- One model: an entity's block holds the entity's pairs, its connections
-- block the entity's outputs, the world block the world pairs.
do
  local vmf, world, block = parsed()
  local e = vmf:Entity(0)
  check.eq(e:Block():Line(), block:Line(), "the entity's block is the block")
  block:SetKey("targetname", "gate")
  check.eq(vmf:FindByName("gate"):ID(), 5, "a name set through the block is searched")
  block:SetValue(1, "func_button")
  check.eq(e:Class(), "func_button", "the class follows SetValue")
  e:AddKey("speed", "100")
  check.yields(check.pack(block:FindKey("speed")), { "speed", "100" }, "entity pairs in the block")
  local outputs = block:FindBlock("connections", 0)
  outputs:SetValue(0, "lamp,TurnOff,,1,-1")
  check.eq(e:Connection(0), "OnOpen lamp,TurnOff,,1,-1", "an output set through the block")
  e:AddConnection("OnClose", "lamp,TurnOff,,0,-1")
  check.yields(check.pack(outputs:Key(1)), { "OnClose", "lamp,TurnOff,,0,-1" }, "outputs")
  outputs:AddKey("OnUse", "no separator")
  check.eq(e:ConnectionCount(), 2, "an output without a separator is refused")
  world:SetKey("skyname", "sky")
  check.yields(check.pack(vmf:FindWorldKey("skyname")), { "skyname", "sky" }, "world pairs")
  vmf:SetWorldKey("detail", "d")
  check.eq(world:KeyCount(), 4, "world pairs set on the document are the block's")
  local reread = Mapwright.VMF()
  reread:Parse(vmf:Text())
  check.eq(reread:Entity(0):Connection(1), "OnClose lamp,TurnOff,,0,-1", "written back")
  -- An entity made inside a block is an entity of the document.
  local made = vmf:FindBlock("world", 0):AddBlock("entity")
  made:SetKey("classname", "info_target")  -- as on an entity, AddKey leaves the fields
  check.eq(vmf:EntityCount(), 2, "AddBlock(\"entity\") makes an entity")
  made:SetKey("targetname", "spot")
  check.eq(vmf:FindByClass("info_target"):Block():FindKey("targetname"), "targetname",
           "and it is found")
  check.eq(vmf:FindByName("spot"):Class(), "info_target", "by its name too")
  check.failure(check.pack(world:AddBlock("world")), "no second world")
  check.failure(check.pack(block:AddBlock("connections")), "no second outputs block")
  check.failure(check.pack(world:AddBlock("9x")), "a name the format cannot read")
end

-- Handles die with their blocks; every other stays.
do
  local vmf, world, block = parsed()
  local solid = world:Block(0)
  local side = solid:Block(1)
  local editor = block:Block(1)
  local e = vmf:Entity(0)
  world:RemoveBlock(0)
  check.none(check.pack(side:Name()), "a removed block's inner handle dies")
  check.none(check.pack(solid:KeyCount()), "a removed block's handle dies")
  check.eq(editor:Name(), "editor", "others stay")
  vmf:RemoveEntity(e)
  check.none(check.pack(editor:Name()), "an entity's blocks die with it")
  check.none(check.pack(block:Name()), "and its own block")
  check.eq(world:Name(), "world", "the world stays")
  check.eq(vmf:BlockCount(), 1, "the entity's block is gone from the top")
  vmf:Parse(map)
  check.none(check.pack(world:Name()), "a new parse kills every block handle")
  local again = vmf:FindBlock("entity", 0)
  vmf:FindBlock("world", 0):RemoveBlock(0)
  again:RemoveBlock(0)  -- the connections block: the entity's outputs go
  check.eq(vmf:Entity(0):ConnectionCount(), 0, "removing the outputs block removes the outputs")
  vmf:RemoveEntity(vmf:Entity(0))
  check.eq(vmf:Text(), "world\n{\n\t\"id\" \"1\"\n\t\"classname\" \"worldspawn\"\n}\n",
           "what was removed is gone from the text")
end

-- A made entity that was removed leaves its room to the next one made: the
-- old handle names nothing, not the new entity.
do
  local vmf = Mapwright.VMF()
  local first = vmf:CreateEntity("first", 1)
  local block = first:Block()
  vmf:RemoveEntity(first)
  local second = vmf:CreateEntity("second", 2)
  check.none(check.pack(first:Class()), "the removed entity's handle")
  check.none(check.pack(block:Name()), "the removed entity's block handle")
  check.eq(second:Class(), "second", "the new entity")
  check.eq(vmf:BlockCount(), 1, "one entity block")
  -- So does a made block, with what it held.
  local solid = second:Block():AddBlock("solid")
  assert(solid:AddKey("id", "7") and solid:AddBlock("side"):AddKey("id", "8"))
  second:Block():RemoveBlock(0)
  local group = second:Block():AddBlock("group")
  local inner = group:AddBlock("editor")
  check.none(check.pack(solid:Name()), "the removed block's handle")
  check.eq(table.concat({ group:Name(), group:KeyCount(), group:BlockCount(), inner:KeyCount(),
                          inner:BlockCount() }, " "), "group 0 1 0 0",
           "the new blocks hold nothing of the old")
  check.eq(vmf:Text(), 'entity\n{\n\t"id" "2"\n\t"classname" "second"\n\tgroup\n\t{\n' ..
           '\t\teditor\n\t\t{\n\t\t}\n\t}\n}\n', "and write nothing of it")
end

-- Lines: a damage report's line is the Line() of the block it names.
do
  local damaged = "world\n{\n}\n\n\nentity\n{\n\"id\" \"2\"\n\"classname\" \"x\"\nfoo bar baz\n}\n"
  local lines = {}
  VMFParseFailure = function(_, message) lines[#lines + 1] = tonumber(message:match("^line (%d+)")) end
  local vmf = Mapwright.VMF()
  vmf:Parse(damaged)
  VMFParseFailure = nil
  local entity = vmf:Entity(0):Block()
  check.eq(entity:Line(), 6, "the entity's line")
  check.eq(entity:KeyLine(1), 9, "a pair's line")
  check.eq(lines[1], entity:KeyLine(1) + 1, "the report's line counts as Line() does")
end

print("blocks: ok")

-- Jobs over every block in one call: how many changed or counted, or nil
-- and why, the document as it was.
do
  local vmf = Mapwright.VMF()
  vmf:Parse(map)
  local sides = vmf:Count("side")
  check.eq(sides > 0, true, "the map has sides")
  check.eq(vmf:Replace("SIDE", "material", "*", "dev/swapped"), sides, "every side's material")
  check.eq(vmf:Count("side", "Material", "DEV/*"), sides, "counted by the pair")
  check.eq(vmf:Count("*", "classname"), vmf:EntityCount() + 1, "the world and every entity")
  local before = vmf:Text()
  check.failure(check.pack(vmf:Replace("side", "material", "*", 'a"b')), "a quote is refused")
  check.failure(check.pack(vmf:Count("side", nil, "x")), "a value without its key")
  check.eq(vmf:Text(), before, "a refusal changes nothing")
  check.eq(vmf:Replace("entity", "targetname", "nothing*", "x"), 0, "nothing matched")
end
