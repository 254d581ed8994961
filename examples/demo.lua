-- Stamps a prefab three times, the way a map scripter builds a level from
-- parts: read the prefab, list what is in it, make three renamed copies whose
-- outputs still reach their own copy, write them as one map and read it back.
--
-- Usage: mapwright-lua --root DIR examples/demo.lua [PREFAB] [OUTPUT_FOLDER]
-- Paths are resolved under the root; WriteFile never replaces a file, so the
-- output folder should be empty (make demo clears it).
local here = arg[0]:match("^(.*)/") or "."
package.path = here .. "/lib/?.lua;" .. package.path
local VmfWriter = require("vmf_writer")

local prefabPath = arg[1] or "examples/maps/control_room.vmf"
local outputFolder = arg[2] or "build/demo"
local copies = 3

local text = Mapwright.ReadFile(prefabPath)
if not text or text == "" then error("cannot read " .. prefabPath) end

-- "Output target,Input,..." or the same with ESC between the fields.
local function describeConnection(connection)
  local output, target, input = connection:match("^(%S+) ([^,\27]*)[,\27]([^,\27]*)")
  return output, target, input
end

local function entityName(entity)
  local _, name = entity:FindKey("targetname")
  return name
end

local function inventory(document)
  local byClass, classes = {}, {}
  for i = 0, document:EntityCount() - 1 do
    local class = document:Entity(i):Class()
    if not byClass[class] then classes[#classes + 1] = class end
    byClass[class] = (byClass[class] or 0) + 1
  end
  table.sort(classes)
  print("Entities by class:")
  for _, class in ipairs(classes) do print(string.format("  %-20s %d", class, byClass[class])) end
  print("Named entities and their outputs:")
  for i = 0, document:EntityCount() - 1 do
    local entity = document:Entity(i)
    local name = entityName(entity)
    if name then print(string.format("  %s (%s)", name, entity:Class())) end
    for c = 0, entity:ConnectionCount() - 1 do
      local output, target, input = describeConnection(entity:Connection(c))
      print(string.format("    %s.%s -> %s.%s", name or entity:Class(), output, target, input))
    end
  end
end

-- Targets starting with "!" name the caller or activator, not an entity.
local function danglingOutputs(document)
  local dangling = {}
  for i = 0, document:EntityCount() - 1 do
    local entity = document:Entity(i)
    for c = 0, entity:ConnectionCount() - 1 do
      local output, target = describeConnection(entity:Connection(c))
      if target:sub(1, 1) ~= "!" and not document:FindByName(target) then
        dangling[#dangling + 1] = string.format("%s.%s -> %s", entityName(entity) or entity:Class(),
                                                output, target)
      end
    end
  end
  return dangling
end

local prefab = Mapwright.VMF()
prefab:Parse(text)
print(string.format("Prefab %s: %d entities, %d world pairs", prefabPath, prefab:EntityCount(),
                    prefab:WorldKeyCount()))
inventory(prefab)

-- Stamp the copies: each is a fresh document renamed with its own suffix.
local stamped = {}
local connectionsPerCopy = 0
for copy = 1, copies do
  local document = Mapwright.VMF()
  document:Parse(text)
  document:Rename(copy)
  stamped[copy] = document
  local outputs = 0
  for i = 0, document:EntityCount() - 1 do outputs = outputs + document:Entity(i):ConnectionCount() end
  connectionsPerCopy = outputs
  local dangling = danglingOutputs(document)
  print(string.format("Copy %d: %d entities, %d outputs, %d reach their own copy", copy,
                      document:EntityCount(), outputs, outputs - #dangling))
  for _, line in ipairs(dangling) do print("  output to no entity: " .. line) end
end

-- Write the copies as one map, with fresh ids so that no two entities share one.
local out = VmfWriter.new()
out:World(prefab)
local nextId = 1000
for _, document in ipairs(stamped) do
  for i = 0, document:EntityCount() - 1 do
    nextId = nextId + 1
    out:Entity(document:Entity(i), { id = tostring(nextId) })
  end
end
local outputPath = outputFolder .. "/stamped_x" .. copies .. ".vmf"
Mapwright.WriteFile(outputPath, out:Text())

-- Read it back: the round trip keeps every entity and output.
local written = Mapwright.ReadFile(outputPath)
local check = Mapwright.VMF()
check:Parse(written or "")
local connections = 0
for i = 0, check:EntityCount() - 1 do connections = connections + check:Entity(i):ConnectionCount() end
print(string.format("Wrote %s: %d bytes", outputPath, #(written or "")))
print(string.format("Round trip: %d entities (expected %d), %d outputs (expected %d)",
                    check:EntityCount(), copies * prefab:EntityCount(), connections,
                    copies * connectionsPerCopy))
if check:EntityCount() ~= copies * prefab:EntityCount() or connections ~= copies * connectionsPerCopy then
  error("round trip lost entities or outputs")
end
