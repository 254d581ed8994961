-- Timing for the bench scripts: best(runs) gives a function that runs
-- prepare (untimed), collects garbage, then times measure with os.clock (the
-- process's CPU time), runs times over, and gives the fastest.
-- Usage: local best = dofile("bench/timing.lua")(runs)   (from the repository)
return function(runs)
  return function(prepare, measure)
    local fastest = math.huge
    for _ = 1, runs do
      if prepare then prepare() end
      collectgarbage("collect")
      local start = os.clock()
      measure()
      fastest = math.min(fastest, os.clock() - start)
    end
    return fastest
  end
end
