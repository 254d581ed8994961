-- Times the block tree on one map, inside Lua (os.clock, CPU time of the
-- process), best of RUNS each: Parse, a visit of every side of
-- every solid reading its material (the tree built on the way, as a script's
-- first visit builds it), a swap of one material on every side followed by
-- Text(), and the host making a new string of the map's size (the floor
-- under any Text() after an edit). Each run loads the map afresh, so every
-- visit pays for building the tree.
-- Usage: mapwright-lua --root DIR bench/blocks_bench.lua MAP [RUNS]
-- Prints: parse visit swap floor seconds, the sides visited, the seconds of
-- a second visit (the calls alone, the tree read already), and those of the
-- same swap in one call, Replace followed by Save (to replace-out.vmf beside
-- the map), on a freshly loaded document.
local path = assert(arg[1], "usage: blocks_bench.lua MAP [RUNS]")
local runs = tonumber(arg[2]) or 5
local best = dofile("bench/timing.lua")(runs)

local vmf = Mapwright.VMF()
local text = assert(Mapwright.ReadFile(path))
local parse = best(nil, function() vmf:Parse(text) end)
text = nil

-- A solid's sides are found by name; any other block is walked into.
local sides = 0
local function visit(block, swap)
  if block:Name() == "solid" then
    local side, j = block:FindBlock("side", 0)
    while side do
      local _, material = side:FindKey("material")
      if material then
        sides = sides + 1
        if swap then side:SetKey("material", "DEV/SWAPPED") end
      end
      side, j = block:FindBlock("side", j + 1)
    end
    return
  end
  for i = 0, block:BlockCount() - 1 do visit(block:Block(i), swap) end
end
local function visitAll(swap)
  sides = 0
  for i = 0, vmf:BlockCount() - 1 do visit(vmf:Block(i), swap) end
end

local fresh = function() assert(vmf:Load(path)) end
local visitTime = best(fresh, function() visitAll(false) end)
-- The calls alone: a second visit, the tree read already.
local againTime = best(nil, function() visitAll(false) end)
local written
local swapTime = best(fresh, function()
  visitAll(true)
  written = vmf:Text()
end)
local size = #written
written = nil
local replaceTime = best(fresh, function()
  assert(vmf:Replace("side", "material", "*", "DEV/SWAPPED") == sides)
  assert(vmf:Save("replace-out.vmf"))
end)
local floorTime = best(function()
  written = nil
  collectgarbage("collect")
end, function() written = string.rep("x", size) end)
print(string.format("%.6f %.6f %.6f %.6f %d %.6f %.6f", parse, visitTime, swapTime, floorTime,
                    sides, againTime, replaceTime))
