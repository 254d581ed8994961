-- Times the script path on one map, inside Lua (os.clock, CPU time of the
-- process): ReadFile, Parse, Rename and a walk over every key and connection
-- of every entity; best of RUNS each.
-- Usage: mapwright-lua --root DIR bench/script_bench.lua MAP [RUNS]
-- Prints one line: read parse rename walk seconds, then entities, pairs,
-- connections and named entities, then the seconds of Text() of the document
-- as parsed and after Rename (the map string collected), and of making a new
-- string of the map's size.
local path = assert(arg[1], "usage: script_bench.lua MAP [RUNS]")
local runs = tonumber(arg[2]) or 5

local best = dofile("bench/timing.lua")(runs)

local text
local read = best(function() text = nil end, function() text = Mapwright.ReadFile(path) end)
assert(text and #text > 0, "cannot read " .. path)
local vmf = Mapwright.VMF()
local parse = best(nil, function() vmf:Parse(text) end)
local rename = best(function() vmf:Parse(text) end, function() vmf:Rename(7) end)
local written
-- The floor under Text() after an edit: the host making a new string of the
-- map's size, which any function returning the edited map pays.
local floorTime = best(function() written = nil end, function() written = text:sub(2) end)
written = nil
vmf:Parse(text)

-- Text() is timed with the map string collected, as a script that parsed and
-- dropped it sees it: while the same bytes are alive in a Lua string, LuaJIT
-- hands that string back instead of making one. A script drops the map text
-- once it is parsed anyway. Held, the text would also make LuaJIT's collector
-- (paced by heap bytes) let millions of dead strings pile up during the walk,
-- which then runs about twice as slow.
local size = #text
text = nil
collectgarbage("collect")
local textTime = best(function() written = nil end, function() written = vmf:Text() end)
assert(#written == size, "Text() of an unchanged document is its text")
vmf:Rename(7)
local renamedTextTime = best(function() written = nil end, function() written = vmf:Text() end)
written = nil

local pairs, connections, named = 0, 0, 0
local walk = best(nil, function()
  pairs, connections, named = 0, 0, 0
  for i = 0, vmf:EntityCount() - 1 do
    local entity = vmf:Entity(i)
    for k = 0, entity:KeyCount() - 1 do
      local key = entity:Key(k)
      if key == "targetname" then named = named + 1 end
      pairs = pairs + 1
    end
    for c = 0, entity:ConnectionCount() - 1 do
      entity:Connection(c)
      connections = connections + 1
    end
  end
end)
print(string.format("%.6f %.6f %.6f %.6f %d %d %d %d %.6f %.6f %.6f", read, parse, rename, walk,
                    vmf:EntityCount(), pairs, connections, named, textTime, renamedTextTime,
                    floorTime))
