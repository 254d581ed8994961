-- Any call into the host may run the collector, and with it finalizers that
-- collect a document or parse it again while one of its methods runs. Methods
-- then give right values or nothing, and never touch freed memory (the
-- sanitized run checks that).
local check = require("check")

-- An entity handle outlives its document, which is collected while AddKey
-- converts its number argument to text.
for _ = 1, 20 do
  local vmf = Mapwright.VMF()
  vmf:Parse('entity { "classname" "c" }')
  local e = vmf:Entity(0)
  vmf = nil
  for j = 1, 20000 do
    if select("#", e:KeyCount()) == 0 then break end
    e:AddKey(j + 0.5, "v")
  end
end

-- A finalizer that parses the document anew at every collection, while reads
-- run and allocate: every value read is one of the two texts' values.
local texts, values = {}, {}
for i, letter in ipairs({ "a", "b" }) do
  values[i] = string.rep(letter, 200)
  texts[i] = 'world\n{\n"k" "' .. values[i] .. '"\n}\nentity\n{\n"classname" "' .. values[i]
             .. '"\n"k" "' .. values[i] .. '"\n}\n'
end
local vmf = Mapwright.VMF()
vmf:Parse(texts[1])
local parses = 0
local function arm()
  local proxy = newproxy(true)
  getmetatable(proxy).__gc = function()
    parses = parses + 1
    vmf:Parse(texts[parses % 2 + 1])
    arm()
  end
end
arm()

local function valid(value)
  return value == nil or value == values[1] or value == values[2]
end
for i = 1, 100000 do
  local e = vmf:Entity(0)
  local _, world = vmf:WorldKey(0)
  local _, found = vmf:FindWorldKey("k")
  local _, key = e:Key(1)
  local _, entityFound = e:FindKey(i % 2 == 0 and "k" or "classname")
  local class = e:Class()
  if not (valid(world) and valid(found) and valid(key) and valid(entityFound) and valid(class)) then
    check.eq(false, true, "read " .. i .. " gave a value no text holds")
  end
end
check.eq(parses > 10, true, "the finalizer parsed the document during the reads")
print("collection_timing: survived " .. parses .. " parses during reads")
