-- Stamping: Transform of a map against its Parse; Merge of a prefab into it
-- against the prefab's own Parse; and 100 copies of a small prefab stamped
-- into a map against 50 (linear: about 2). Inside Lua (os.clock), best of
-- RUNS; each job on a freshly parsed document, the tree read first, untimed.
-- Usage: mapwright-lua --root DIR bench/stamp_bench.lua MAP PREFAB SMALL [RUNS]
-- Prints: parse transform prefabParse merge stamp100 stamp50 seconds.
local mapPath, prefabPath, smallPath = assert(arg[1]), assert(arg[2]), assert(arg[3])
local runs = tonumber(arg[4]) or 3
local best = dofile("bench/timing.lua")(runs)

local function read(path)
  return assert(Mapwright.ReadFile(path), "cannot read " .. path)
end
local mapText, prefabText, smallText = read(mapPath), read(prefabPath), read(smallPath)

local vmf = Mapwright.VMF()
local parse = best(nil, function() vmf:Parse(mapText) end)
local function fresh()
  vmf:Parse(mapText)
  vmf:BlockCount()  -- the tree, read before the clock starts
end
local transform = best(fresh, function() vmf:Transform("128 -64 32", "0 90 0") end)

local prefab = Mapwright.VMF()
local prefabParse = best(nil, function() prefab:Parse(prefabText) end)
prefab:BlockCount()
local merge = best(fresh, function() vmf:Merge(prefab) end)

local small = Mapwright.VMF()
small:Parse(smallText)
small:BlockCount()
local function stamp(copies)
  return best(fresh, function()
    for _ = 1, copies do vmf:Merge(small) end
  end)
end
local stamp100, stamp50 = stamp(100), stamp(50)
print(string.format("%.6f %.6f %.6f %.6f %.6f %.6f", parse, transform, prefabParse, merge,
                    stamp100, stamp50))
