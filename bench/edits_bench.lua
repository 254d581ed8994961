-- Edits stay linear: each edit job is timed at a count and at half of it, in
-- Lua (os.clock, CPU time of the process), best of RUNS; the ratio of the two
-- is about 2 for linear work and 4 for quadratic. The maps are made here.
-- Usage: mapwright-lua bench/edits_bench.lua [RUNS]
-- Prints one line per job: name, count, seconds at count, seconds at half.
local runs = tonumber(arg[1]) or 3
local best = dofile("bench/timing.lua")(runs)

local function entitiesMap(n)
  local parts = {}
  for i = 1, n do
    parts[i] = 'entity\n{\n\t"id" "' .. i .. '"\n\t"classname" "info_target"\n\t"targetname" "t' ..
               i .. '"\n}\n'
  end
  return table.concat(parts)
end

local function outputsMap(n)
  local parts = { 'entity\n{\n\t"id" "1"\n\t"classname" "logic_relay"\n\tconnections\n\t{\n' }
  for i = 1, n do parts[#parts + 1] = '\t\t"OnTrigger" "t' .. i .. ',Trigger,,0,-1"\n' end
  parts[#parts + 1] = "\t}\n}\n"
  return table.concat(parts)
end

-- A world of n solids.
local function blocksMap(n)
  local parts = { 'world\n{\n\t"id" "1"\n' }
  for i = 1, n do parts[#parts + 1] = '\tsolid\n\t{\n\t\t"id" "' .. (i + 1) .. '"\n\t}\n' end
  parts[#parts + 1] = "}\n"
  return table.concat(parts)
end

-- A plain block of n pairs.
local function pairsMap(n)
  local parts = { "cameras\n{\n" }
  for i = 1, n do parts[#parts + 1] = '\t"key' .. i .. '" "v"\n' end
  parts[#parts + 1] = "}\n"
  return table.concat(parts)
end

local jobs = {
  { "remove every entity front to back", 160000, entitiesMap, function(vmf)
    for _ = 1, vmf:EntityCount() do vmf:RemoveEntity(vmf:Entity(0)) end
  end },
  { "remove every entity back to front", 160000, entitiesMap, function(vmf)
    for i = vmf:EntityCount() - 1, 0, -1 do vmf:RemoveEntity(vmf:Entity(i)) end
  end },
  { "remove every entity front to back, blocks read", 160000, entitiesMap, function(vmf)
    vmf:Block(0)
    for _ = 1, vmf:EntityCount() do vmf:RemoveEntity(vmf:Entity(0)) end
  end },
  { "remove every output one by one", 100000, outputsMap, function(vmf)
    local e = vmf:Entity(0)
    for _ = 1, e:ConnectionCount() do e:RemoveConnection(0) end
  end },
  { "set distinct keys on one entity", 40000, function() return outputsMap(0) end,
    function(vmf, n)
      local e = vmf:Entity(0)
      for i = 1, n do e:SetKey("key" .. i, "v") end
    end },
  { "set distinct world keys", 20000, function() return "world\n{\n}\n" end, function(vmf, n)
    for i = 1, n do vmf:SetWorldKey("key" .. i, "v") end
  end },
  { "remove every block front to back", 200000, blocksMap, function(vmf)
    local world = vmf:Block(0)
    for _ = 1, world:BlockCount() do world:RemoveBlock(0) end
  end },
  { "remove every block from the middle", 200000, blocksMap, function(vmf)
    local world = vmf:Block(0)
    for _ = 1, world:BlockCount() do world:RemoveBlock(math.floor(world:BlockCount() / 2)) end
  end },
  { "set distinct keys on one block", 100000, blocksMap, function(vmf, n)
    local solid = vmf:Block(0):Block(0)
    for i = 1, n do solid:SetKey("key" .. i, "v") end
  end },
  { "set existing keys on one block", 100000, pairsMap, function(vmf, n)
    local block = vmf:Block(0)
    for i = 1, n do block:SetKey("key" .. i, "w") end
  end },
  { "remove distinct keys of one block", 100000, pairsMap, function(vmf, n)
    local block = vmf:Block(0)
    for i = 1, n do block:RemoveKey("key" .. i) end
  end },
  { "remove distinct keys of one entity", 100000, function(n)
      return (pairsMap(n):gsub("^cameras", "entity"))
    end, function(vmf, n)
    local e = vmf:Entity(0)
    for i = 1, n do e:RemoveKey("key" .. i) end
  end },
  { "remove distinct world keys", 100000, function(n)
      return (pairsMap(n):gsub("^cameras", "world"))
    end, function(vmf, n)
    local world = vmf:Block(0)
    for i = 1, n do world:RemoveKey("key" .. i) end
  end },
  { "edit then merge, again and again", 4000, blocksMap, function(vmf, n)
    local prefab = Mapwright.VMF()
    prefab:Parse('world\n{\n\t"id" "1"\n\tsolid\n\t{\n\t\t"id" "2"\n\t}\n}\n')
    local world = vmf:Block(0)
    for i = 1, n do
      world:Block(0):SetKey("edited", i)
      vmf:Merge(prefab)
    end
  end },
  { "Text() after a chain of new blocks", 100000, function() return "world\n{\n}\n" end,
    function(vmf, n)
      local at = vmf:Block(0)
      for _ = 1, n do at = at:AddBlock("group") end
      collectgarbage()
      vmf:Text()
    end },
}

for _, job in ipairs(jobs) do
  local name, count, make, edit = job[1], job[2], job[3], job[4]
  local times = {}
  for k, n in ipairs({ count, math.floor(count / 2) }) do
    local text = make(n)
    local vmf = Mapwright.VMF()
    times[k] = best(function() vmf:Parse(text) end, function() edit(vmf, n) end)
  end
  print(string.format("%s\t%d\t%.6f\t%.6f", name, count, times[1], times[2]))
end
