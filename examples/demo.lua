-- A mapper's job on a prefab: list what is in it, remove the outputs that
-- reach no entity, retune its lights, stamp renamed copies, each saved to a
-- file that an editor opens intact, and stamp prefixed, moved and turned
-- copies into one map. Every saved file is compared with
-- its input: only the intended lines change, and every brush and block is
-- still there.
--
-- Usage: mapwright-lua --root DIR examples/demo.lua [PREFAB] [OUTPUT_FOLDER]
-- Paths are resolved under the root. Save replaces what a run before wrote,
-- so the demo runs again and again in the same folder.
local prefabPath = arg[1] or "examples/maps/control_room.vmf"
local outputFolder = arg[2] or "build/demo"
local copies = 3
local warmLight = "255 214 170 300"

local prefab = Mapwright.VMF()
if not prefab:Load(prefabPath) then error("cannot read " .. prefabPath) end
local text = prefab:Text()  -- the prefab as read, to compare the saved files with

local function name(entity)
  return select(2, entity:FindKey("targetname")) or entity:Class()
end

local function lines(s)
  local list = {}
  for line in (s:gsub("\r\n", "\n") .. "\n"):gmatch("([^\n]*)\n") do list[#list + 1] = line end
  return list
end

-- The lines only one side has, and the blocks (a word alone on its line) of
-- each kind on both sides.
local function compare(before, after)
  local count = {}
  for _, line in ipairs(lines(before)) do count[line] = (count[line] or 0) + 1 end
  local added = {}
  for _, line in ipairs(lines(after)) do
    if (count[line] or 0) > 0 then count[line] = count[line] - 1 else added[#added + 1] = line end
  end
  local removed = {}
  for _, line in ipairs(lines(before)) do
    if (count[line] or 0) > 0 then removed[#removed + 1] = line; count[line] = count[line] - 1 end
  end
  local function blocks(s)
    local kinds = {}
    for _, line in ipairs(lines(s)) do
      local word = line:match("^%s*([%a_]+)%s*$")
      if word then kinds[word] = (kinds[word] or 0) + 1 end
    end
    return kinds
  end
  local lost = {}
  local afterBlocks = blocks(after)
  for kind, n in pairs(blocks(before)) do
    if (afterBlocks[kind] or 0) < n then lost[#lost + 1] = kind end
  end
  return removed, added, lost
end

-- Saves the document and shows what changed in the file against the input.
local function save(document, path, expectChanged)
  if not document:Save(path) then error("cannot write " .. path) end
  local written = Mapwright.ReadFile(path)
  local removed, added, lost = compare(text, written)
  print(string.format("Saved %s: %d bytes; %d lines changed or removed, %d written anew", path,
                      #written, #removed, #added))
  for _, line in ipairs(removed) do print("  - " .. line:gsub("^%s+", "")) end
  for _, line in ipairs(added) do print("  + " .. line:gsub("^%s+", "")) end
  if #lost > 0 then error("blocks lost: " .. table.concat(lost, ", ")) end
  if not expectChanged(removed, added) then error("unexpected lines changed in " .. path) end
  print("  every brush and block is still there")
end

print(string.format("Prefab %s: %d entities", prefabPath, prefab:EntityCount()))
for i = 0, prefab:EntityCount() - 1 do
  local entity = prefab:Entity(i)
  print(string.format("  %s (%s)", name(entity), entity:Class()))
  for c = 0, entity:ConnectionCount() - 1 do
    local output, target, input, parameter, delay = entity:ConnectionParts(c)
    print(string.format("    %s -> %s.%s(%s) after %ss", output, target, input, parameter, delay))
  end
end

-- Outputs that reach no entity ("!self" and the like name the caller).
local removedOutputs = 0
for i = 0, prefab:EntityCount() - 1 do
  local entity = prefab:Entity(i)
  for c = entity:ConnectionCount() - 1, 0, -1 do
    local output, target = entity:ConnectionParts(c)
    if target:sub(1, 1) ~= "!" and not prefab:FindNextByName(target, 0) then
      print(string.format("Output to no entity, removed: %s.%s -> %s", name(entity), output, target))
      entity:RemoveConnection(c)
      removedOutputs = removedOutputs + 1
    end
  end
end

-- Every light gets the warm colour.
local lights = 0
local light, index = prefab:FindNextByClass("light*", 0)
while light do
  light:SetKey("_light", warmLight)
  lights = lights + 1
  light, index = prefab:FindNextByClass("light*", index + 1)
end
print(string.format("Retuned %d lights to %s", lights, warmLight))

local fixedPath = outputFolder .. "/control_room_fixed.vmf"
save(prefab, fixedPath, function(removed, added)
  return #removed == removedOutputs + lights and #added == lights
end)

-- Stamped copies: each renamed with its own suffix, so no two share a name,
-- and every output reaches its own copy.
local names = {}
for copy = 1, copies do
  local document = Mapwright.VMF()
  document:Load(fixedPath)
  local suffix = "_" .. copy
  document:Rename(suffix)
  local e, i = document:FindNextByName("*", 0)
  while e do
    local n = select(2, e:FindKey("targetname"))
    if n then
      if names[n:lower()] then error("copies share the name " .. n) end
      names[n:lower()] = true
    end
    e, i = document:FindNextByName("*", i + 1)
  end
  save(document, string.format("%s/control_room%s.vmf", outputFolder, suffix), function(_, added)
    for _, line in ipairs(added) do
      if not line:find(suffix, 1, true) and not line:find(warmLight, 1, true) then return false end
    end
    return true
  end)
end
print(string.format("Stamped %d copies; no name is shared between them", copies))

-- Stamping for real: each copy prefixed (a wildcard reference stays within
-- its copy), turned a quarter more than the last and moved along, then
-- merged into one map with fresh ids; the map is written with WriteFile.
local stampedPath = outputFolder .. "/control_room_stamped.vmf"
local stamped = Mapwright.VMF()
local button = select(2, prefab:FindByName("control_button"):FindKey("origin"))
local placed = {}
for copy = 1, copies do
  local document = Mapwright.VMF()
  document:Load(fixedPath)
  document:Prefix("c" .. copy .. "_")
  local offset, yaw = (copy * 1024) .. " 0 0", copy * 90
  document:Transform(offset, "0 " .. yaw .. " 0")
  stamped:Merge(document)
  -- Where the copy's button should be: turned about z, then moved.
  local x, y, z = button:match("^(%S+) (%S+) (%S+)$")
  local turns = { { 1, 0 }, { 0, 1 }, { -1, 0 }, { 0, -1 } }
  local turn = turns[math.floor(yaw / 90) % 4 + 1]
  local c, s = turn[1], turn[2]
  placed[copy] = string.format("%d %d %d", c * x - s * y + copy * 1024, s * x + c * y, z)
end
local stampedText = stamped:Text()
local earlier = Mapwright.VMF()
if earlier:Load(stampedPath) then
  -- WriteFile never replaces a file: a run before wrote this one.
  if earlier:Text() ~= stampedText then error(stampedPath .. " holds another map") end
elseif not Mapwright.WriteFile(stampedPath, stampedText) then
  error("cannot write " .. stampedPath)
end

-- The proof, from the written text alone.
local written = Mapwright.VMF()
written:Parse(Mapwright.ReadFile(stampedPath))
local counts, ids = { solid = 0, side = 0 }, { side = {}, other = {} }
local function census(block)
  local kind = block:Name()
  if counts[kind] then counts[kind] = counts[kind] + 1 end
  local _, id = block:FindKey("id")
  if id then
    local run = kind == "side" and ids.side or ids.other
    if run[id] then error("the id " .. id .. " is given twice") end
    run[id] = true
  end
  for i = 0, block:BlockCount() - 1 do census(block:Block(i)) end
end
for i = 0, written:BlockCount() - 1 do census(written:Block(i)) end
local prefabCounts = { solid = 0, side = 0 }
for line in text:gmatch("[^\n]+") do
  local word = line:match("^%s*(%a+)%s*$")
  if prefabCounts[word] then prefabCounts[word] = prefabCounts[word] + 1 end
end
for kind, n in pairs(prefabCounts) do
  if counts[kind] ~= copies * n then
    error(string.format("%d %s blocks stamped, not %d", counts[kind], kind, copies * n))
  end
end
local owners = {}
for i = 0, written:EntityCount() - 1 do
  local n = select(2, written:Entity(i):FindKey("targetname"))
  if n then
    if owners[n:lower()] then error("copies share the name " .. n) end
    owners[n:lower()] = true
  end
end
for copy = 1, copies do
  local origin = select(2, written:FindByName("c" .. copy .. "_control_button"):FindKey("origin"))
  if origin ~= placed[copy] then error("copy " .. copy .. "'s button stands at " .. origin) end
  print(string.format("  copy %d: prefixed c%d_, turned %d degrees, button at %s", copy, copy,
                      copy * 90, origin))
end
print(string.format("Stamped map %s: %d copies, %d solids and %d sides (the prefab has %d and " ..
                    "%d), every id unique, no name shared", stampedPath, copies, counts.solid,
                    counts.side, prefabCounts.solid, prefabCounts.side))
