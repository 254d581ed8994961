-- Methods called with anything but a live object of their kind yield nothing.
local check = require("check")

local reader = Mapwright.TokenReader("a b c")
local ReadToken = reader.ReadToken
local meta = getmetatable(reader)

local wrongs = { nil, 1, "text", {}, function() end, io.stdout, true, 0 / 0 }
for i = 1, 8 do
  check.none(check.pack(ReadToken(wrongs[i])), "ReadToken(wrong " .. i .. ")")
end
check.none(check.pack(ReadToken()), "ReadToken()")

-- A userdata whose __gc already ran is dead.
local dead = Mapwright.TokenReader("x")
meta.__gc(dead)
check.none(check.pack(dead:ReadToken()), "ReadToken on a collected reader")
meta.__gc(dead)
check.none(check.pack(meta.__gc(1)), "__gc of a number")
local fresh = Mapwright.TokenReader("y")
check.none(check.pack(dead:ReadToken()), "dead handle after a new reader")
check.eq(select(2, fresh:ReadToken()), "y", "fresh reader")

-- The constructor takes a text, or a number as Lua writes it; anything else
-- makes no reader.
check.none(check.pack(Mapwright.TokenReader(nil)), "reader over nil")
check.eq(select(2, Mapwright.TokenReader(42):ReadToken()), "42", "reader over a number")
check.none(check.pack(Mapwright.TokenReader({})), "reader over a table")

-- 10 MB of random bytes tokenize to the end without harm. Under qemu-i386
-- (the 32-bit suite where the kernel cannot run 32-bit programs) 512 KB:
-- there LuaJIT itself crashes when its collector frees a few MB of small
-- strings (seen with a plain LuaJIT program and no module loaded; natively
-- it runs), which says nothing about the module.
local kilobytes = os.getenv("MAPWRIGHT_EMULATOR") and 512 or 10 * 1024
math.randomseed(7)
local parts = {}
for i = 1, kilobytes do
  local chunk = {}
  for j = 1, 1024 do chunk[j] = math.random(1, 255) end
  parts[i] = string.char(unpack(chunk))
end
local noise = Mapwright.TokenReader(table.concat(parts))
local count = 0
while noise:ReadToken() ~= TOKEN_EOF do count = count + 1 end
check.eq(count > 0, true, "random text yields tokens")
print("object_misuse: ok")
