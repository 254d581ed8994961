-- The token reader through the module, as a script sees it.
local check = require("check")

check.eq(TOKEN_ERROR, 0, "TOKEN_ERROR")
check.eq(TOKEN_NONE, 1, "TOKEN_NONE")
check.eq(TOKEN_EOF, 2, "TOKEN_EOF")
check.eq(TOKEN_OPERATOR, 3, "TOKEN_OPERATOR")
check.eq(TOKEN_NUMBER, 4, "TOKEN_NUMBER")
check.eq(TOKEN_STRING, 5, "TOKEN_STRING")
check.eq(TOKEN_IDENTIFIER, 6, "TOKEN_IDENTIFIER")
check.eq(TOKEN_COMMENT, 7, "TOKEN_COMMENT")
check.eq(type(Mapwright.TokenReader), "function", "Mapwright.TokenReader")

local function tokens(text)
  local reader = Mapwright.TokenReader(text)
  local seen = {}
  repeat
    local kind, token = reader:ReadToken()
    seen[#seen + 1] = kind .. ":" .. token
  until kind == TOKEN_EOF or #seen > 10000
  return table.concat(seen, " ")
end

check.eq(tokens("name = 5"), "6:name 3:= 4:5 2:", "simple sequence")
check.eq(tokens(""), "2:", "empty text")
check.eq(tokens('world\n{\n"id" "1"\n}'), "6:world 3:{ 5:id 5:1 3:} 2:", "block")
check.eq(tokens("1-2"), "0: 4:2 2:", "error then reading goes on")
check.eq(tokens("// c\n/* b */x"), "7: c 7: b  6:x 2:", "comments")

-- After EOF the reader stays at EOF.
local reader = Mapwright.TokenReader("x")
reader:ReadToken()
for _ = 1, 3 do check.eq(reader:ReadToken(), TOKEN_EOF, "repeated EOF") end

-- Two readers over one text advance independently.
local text = "alpha beta"
local a, b = Mapwright.TokenReader(text), Mapwright.TokenReader(text)
check.eq(select(2, a:ReadToken()), "alpha", "a first")
check.eq(select(2, a:ReadToken()), "beta", "a second")
check.eq(select(2, b:ReadToken()), "alpha", "b first")

-- The script drops its text and the collector runs: the reader keeps its copy.
local kept = Mapwright.TokenReader(string.rep("w", 3) .. " " .. string.rep("z", 2))
collectgarbage("collect")
collectgarbage("collect")
check.eq(select(2, kept:ReadToken()), "www", "reader over a collected string")
check.eq(select(2, kept:ReadToken()), "zz", "reader over a collected string, second token")

-- Limits of the script object.
local long = Mapwright.TokenReader('"' .. string.rep("s", 2047) .. '" ' .. string.rep("i", 2049) .. " end")
check.eq(#select(2, long:ReadToken()), 2046, "string cut")
check.eq(#select(2, long:ReadToken()), 2048, "identifier cut")
check.eq(select(2, long:ReadToken()), "end", "after the cut identifier")
print("token_reader: ok")
