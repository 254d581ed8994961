-- The map document and entity objects, as a script sees them.
local check = require("check")

-- The relay map with two comment pairs in its world and a door named door1.
local sample = require("sample_maps").relay
  :gsub('"classname" "worldspawn"\n', '"classname" "worldspawn"\n\t"comment" "first"\n\t"comment" "second"\n', 1)
  .. 'entity\n{\n\t"id" "3"\n\t"classname" "func_door"\n\t"targetname" "door1"\n}\n'

local reports = {}
function VMFParseFailure(kind, message) reports[#reports + 1] = kind .. ": " .. message end

local vmf = Mapwright.VMF()
check.eq(vmf:EntityCount(), 0, "new document")
check.none(check.pack(vmf:FindByName("x")), "FindByName on a new document")
check.none(check.pack(vmf:FindWorldKey("x")), "FindWorldKey on a new document")
check.none(check.pack(vmf:Rename(1)), "Rename yields nothing")

check.none(check.pack(vmf:Parse(sample)), "Parse yields nothing")
check.eq(vmf:EntityCount(), 2, "entity count")
check.eq(vmf:WorldKeyCount(), 4, "world pairs")
check.yields(check.pack(vmf:WorldKey(0)), { "id", "1" }, "WorldKey(0)")
check.yields(check.pack(vmf:FindWorldKey("comment")), { "comment", "first" }, "first of two")

local relay = vmf:FindByName("relay1")
check.eq(relay:Class(), "logic_relay", "Class")
check.eq(relay:ID(), 2, "ID")
check.eq(relay:KeyCount(), 3, "KeyCount")
check.yields(check.pack(relay:Key(0)), { "id", "2" }, "Key(0)")
check.yields(check.pack(relay:FindKey("targetname")), { "targetname", "relay1" }, "FindKey")
check.none(check.pack(relay:FindKey("TargetName")), "FindKey is case-sensitive")
check.eq(relay:Connection(0), "OnTrigger door1,Open,,0,-1", "Connection(0)")

-- Outputs as fields, exactly as written; the parameter may hold commas.
check.yields(check.pack(relay:ConnectionParts(0)), { "OnTrigger", "door1", "Open", "", "0", "-1" },
             "ConnectionParts")
local fields = Mapwright.VMF():CreateEntity("logic_relay", 9)
fields:AddConnection("OnUser1", "!self,AddOutput,targetname a,b,0.5,1")
fields:AddConnection("OnUser2", "t\27In\27p,q\27" .. "0\27-1")
fields:AddConnection("OnUser3", "t,In")
check.yields(check.pack(fields:ConnectionParts(0)),
             { "OnUser1", "!self", "AddOutput", "targetname a,b", "0.5", "1" }, "commas in a parameter")
check.yields(check.pack(fields:ConnectionParts(1)), { "OnUser2", "t", "In", "p,q", "0", "-1" },
             "ESC fields")
check.yields(check.pack(fields:ConnectionParts(2)), { "OnUser3", "t", "In", "", "", "" },
             "fields a value lacks are empty")
check.none(check.pack(fields:ConnectionParts(3)), "ConnectionParts past the end")

-- Every match, in document order, however many: 20,000 here.
local many = Mapwright.VMF()
local lines = {}
for i = 1, 20000 do
  lines[i] = string.format('entity\n{\n"classname" "%s"\n"targetname" "%s_%d"\n}\n',
                           i % 2 == 0 and "light_spot" or "Light", i % 3 == 0 and "Door" or "lamp", i)
end
many:Parse(table.concat(lines))
local visited, last = 0, -1
local e, i = many:FindNextByName("door*", 0)
while e do
  check.eq(i > last and select(2, e:FindKey("targetname")):lower():sub(1, 4) == "door", true,
           "FindNextByName order and match")
  visited, last = visited + 1, i
  e, i = many:FindNextByName("door*", i + 1)
end
check.eq(visited, 6666, "every name match visited once")
visited = 0
e, i = many:FindNextByClass("LIGHT", -5)
while e do
  visited = visited + 1
  e, i = many:FindNextByClass("LIGHT", i + 1)
end
check.eq(visited, 10000, "exact class match, case folded")
check.none(check.pack(many:FindNextByName("door*", 20000)), "start past the end")
check.eq(many:FindByName("door_3"), nil, "FindByName keeps its exact match")

-- Rename(5): names and references follow, everything else stays.
vmf:Rename(5)
check.eq(select(2, relay:FindKey("targetname")), "relay15", "relay renamed")
check.eq(relay:Connection(0), "OnTrigger door15,Open,,0,-1", "target follows")
local door = vmf:FindByName("door15")
check.eq(door:ID(), 3, "door found by its new name")
check.eq(door:Class(), "func_door", "class unchanged")
check.yields(check.pack(vmf:WorldKey(1)), { "classname", "worldspawn" }, "world unchanged")
check.none(check.pack(vmf:FindByName("door1")), "old name gone")

-- Created entities and added pairs.
local target = vmf:CreateEntity("info_target", 7)
check.eq(vmf:EntityCount(), 3, "created entity counted")
check.eq(target:KeyCount(), 0, "created entity has no pairs")
check.eq(vmf:FindByID(7):Class(), "info_target", "FindByID finds the created entity")
check.eq(vmf:Entity(2):ID(), 7, "Entity(count-1) is the created one")
target:AddKey("targetname", "door2")
check.none(check.pack(vmf:FindByName("door2")), "AddKey names nothing")
target:AddConnection("OnTrigger", ",Open")
check.eq(target:Connection(0), "OnTrigger ,Open", "empty target")
target:AddConnection("OnTrigger", "nocomma")
check.eq(target:ConnectionCount(), 1, "a connection without separator is not added")
check.eq(vmf:CreateEntity("x", -1):ID(), -1, "negative id")
check.eq(vmf:CreateEntity("x", 16777217):ID(), 16777216, "ids arrive as 32-bit floats")

-- Stale handles after Parse and after collection yield nothing.
vmf:Parse(sample)
check.none(check.pack(relay:Class()), "stale handle after Parse")
check.none(check.pack(target:KeyCount()), "created entity gone after Parse")
check.eq(vmf:EntityCount(), 2, "Parse replaced everything")
local orphan = vmf:Entity(0)
vmf = nil
collectgarbage("collect")
collectgarbage("collect")
check.none(check.pack(orphan:Class()), "handle after its document was collected")
check.none(check.pack(orphan:Key(0)), "Key after collection")

-- Wrong objects, wrong arguments, indices out of range.
local doc = Mapwright.VMF()
doc:Parse(sample)
local reader = Mapwright.TokenReader("x")
local entity = doc:Entity(0)
local docMeta, entMeta = getmetatable(doc), getmetatable(entity)
for _, wrong in ipairs({ 1, "s", {}, print, reader, entity }) do
  check.none(check.pack(docMeta.EntityCount(wrong)), "EntityCount on a wrong object")
  check.none(check.pack(docMeta.Parse(wrong, sample)), "Parse on a wrong object")
end
for _, wrong in ipairs({ 1, "s", {}, print, reader, doc }) do
  check.none(check.pack(entMeta.Class(wrong)), "Class on a wrong object")
end
for _, index in ipairs({ -1, 2, 2 ^ 31 - 1, 1 / 0, -1 / 0 }) do
  check.none(check.pack(doc:Entity(index)), "Entity(" .. tostring(index) .. ")")
  check.none(check.pack(doc:WorldKey(index == 2 and 4 or index)), "WorldKey out of range")
end
for _, index in ipairs({ -1, 3, 2 ^ 31 - 1, 1 / 0, -1 / 0 }) do
  check.none(check.pack(entity:Key(index)), "Key(" .. tostring(index) .. ")")
  check.none(check.pack(entity:Connection(index)), "Connection(" .. tostring(index) .. ")")
end
check.eq(doc:Entity("0"):ID(), 2, "a non-number index reads as 0")
check.eq(#reports, 0, "no parse failure in the sample")

-- A report, a callback that raises, and one that parses the same document again.
doc:Parse('entity\n{\nconnections\n{\n"OnTrigger" "door1"\n}\n}')
check.eq(reports[1], "Connection: Keyvalue found inside of connections block. { Key = OnTrigger, Value = door1 }", "report")
function VMFParseFailure() error("script failure") end
doc:Parse('entity\n{\nconnections\n{\n"A" "x"\n"B" "t,p"\n}\n}')
check.eq(doc:Entity(0):ConnectionCount(), 1, "a raising callback does not stop the parse")
local nested = 0
function VMFParseFailure()
  nested = nested + 1
  collectgarbage("collect")
  doc:Parse('entity\n{\n"id" "99"\n}')
end
doc:Parse('entity\n{\nconnections\n{\n"A" "x"\n"B" "y"\n}\n}\nentity\n{\n}')
check.eq(nested, 1, "outer parse stopped after the nested one")
check.eq(doc:EntityCount(), 1, "document holds the inner parse")
check.eq(doc:Entity(0):ID(), 99, "inner parse's entity")
print("vmf_document: ok")
