-- Small assertions for the end-to-end scripts: each failure raises an error,
-- so mapwright-lua exits with status 1 and prints where it happened.
local check = {}

local function show(value)
  if type(value) == "string" then return string.format("%q", value) end
  return tostring(value)
end

function check.eq(actual, expected, what)
  if actual ~= expected then
    error(string.format("%s: expected %s, got %s", what or "value", show(expected), show(actual)), 2)
  end
end

-- The values a call yielded, packed with their count.
function check.pack(...)
  return { n = select("#", ...), ... }
end

-- Checks that a call yielded exactly the listed values.
function check.yields(packed, expected, what)
  check.eq(packed.n, #expected, (what or "call") .. " result count")
  for i = 1, #expected do check.eq(packed[i], expected[i], (what or "call") .. " result " .. i) end
end

function check.none(packed, what)
  check.eq(packed.n, 0, (what or "call") .. " result count")
end

-- Checks that a call answered a failure as io.open does: nil and a message.
function check.failure(packed, what)
  check.eq(packed.n, 2, (what or "call") .. " result count")
  check.eq(packed[1], nil, (what or "call") .. " result 1")
  check.eq(type(packed[2]), "string", (what or "call") .. " message")
end

return check
