-- Tokenizes a small bundled text and prints each token with its kind.
local names = {
  [TOKEN_ERROR] = "error", [TOKEN_EOF] = "end", [TOKEN_OPERATOR] = "operator",
  [TOKEN_NUMBER] = "number", [TOKEN_STRING] = "string", [TOKEN_IDENTIFIER] = "identifier",
  [TOKEN_COMMENT] = "comment",
}

local text = [[
// a light in a map
entity
{
	"classname" "light"
	"origin" "-64 128 32"
	"_light" "255 240 200 300"
}
]]

local reader = Mapwright.TokenReader(text)
repeat
  local kind, token = reader:ReadToken()
  print(string.format("%-10s %s", names[kind], token))
until kind == TOKEN_EOF
