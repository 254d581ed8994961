-- Times a mapper's whole job on one map inside Lua (os.clock, CPU time of the
-- process, as mapwright-copyfile times its side), best of RUNS each, with no
-- map string alive between runs:
--   Parse of the map text (the text alive, as any Parse needs it);
--   Load; Save of the unchanged document to a new file;
--   the job: Load, one SetKey, Save;
--   the old path: ReadFile, Parse, SetKey, Text, WriteFile (to a new name).
-- Usage: mapwright-lua --root DIR bench/job_bench.lua MAP OUT [RUNS]
-- (OUT: the file the job writes, removed at the end)
-- Prints: parse load save job old seconds.
local path = assert(arg[1], "usage: job_bench.lua MAP OUT [RUNS]")
local out = assert(arg[2], "usage: job_bench.lua MAP OUT [RUNS]")
local runs = tonumber(arg[3]) or 5
local outFull = util.RelativePathToFull(out)  -- for os.remove, which knows no root

local best = dofile("bench/timing.lua")(runs)

local vmf = Mapwright.VMF()
local text = assert(Mapwright.ReadFile(path))
local parse = best(nil, function() vmf:Parse(text) end)
text = nil
local load = best(nil, function() assert(vmf:Load(path)) end)
-- As mapwright-copyfile does, the old file is removed before the clock
-- starts: what is timed is making the new one, not dropping the old.
local save = best(function() os.remove(outFull) end, function() assert(vmf:Save(out)) end)
local job = best(function() os.remove(outFull) end, function()
  assert(vmf:Load(path))
  vmf:Entity(0):SetKey("mapwright_job", "1")
  assert(vmf:Save(out))
end)
local old = best(function()
  vmf:Parse("")
  os.remove(outFull)
end, function()
  local read = Mapwright.ReadFile(path)
  vmf:Parse(read)
  read = nil
  vmf:Entity(0):SetKey("mapwright_job", "1")
  assert(Mapwright.WriteFile(out, vmf:Text()))
end)
os.remove(outFull)
print(string.format("%.6f %.6f %.6f %.6f %.6f", parse, load, save, job, old))
