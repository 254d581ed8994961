---@meta mapwright
-- Definitions of the Mapwright script API for the Lua language server
-- (LuaLS): completion, parameter hints and type checks in an editor. Put this
-- file (or its folder) in the workspace's library ("Lua.workspace.library").
-- It defines nothing at run time; the module registers the real functions.

---Whole-file access, the token reader and map documents.
---@class Mapwright
Mapwright = {}

---Reads a file whole: its bytes up to the first zero byte. A missing file in an existing folder is created empty.
---@param path string a path resolved by util.RelativePathToFull
---@return string? bytes nothing when the file cannot be opened
function Mapwright.ReadFile(path) end

---Stores text as a new file, never replacing one; whole or not at all.
---@param path string a path resolved by util.RelativePathToFull
---@param text string the bytes to store
---@return true? stored nothing when a file is there or anything fails
function Mapwright.WriteFile(path, text) end

---Makes a token reader over its own copy of the text.
---@param text string the text to split into tokens
---@return TokenReader? reader nothing when text is no text
function Mapwright.TokenReader(text) end

---Makes an empty map document.
---@return VMF document
function Mapwright.VMF() end

---The kind of an unreadable token ('-' inside a number).
TOKEN_ERROR = 0
---The kind no token has.
TOKEN_NONE = 1
---The kind at the end of the text.
TOKEN_EOF = 2
---The kind of an operator character.
TOKEN_OPERATOR = 3
---The kind of a number.
TOKEN_NUMBER = 4
---The kind of a quoted string (its text without the quotes).
TOKEN_STRING = 5
---The kind of an identifier.
TOKEN_IDENTIFIER = 6
---The kind of a comment (its text without the markers).
TOKEN_COMMENT = 7

---A tokenizer over a text, one token per call.
---@class TokenReader
local TokenReader = {}

---Reads the next token.
---@return integer kind one of TOKEN_ERROR to TOKEN_COMMENT
---@return string text the token's text, cut at 2048 characters
function TokenReader:ReadToken() end

---A map document: the entities and world pairs of a map's text, written back byte for byte with every edit.
---@class VMF
local VMF = {}

---Replaces the document's contents with those of the map text; damage is told to VMFParseFailure.
---@param text string map text
function VMF:Parse(text) end

---Appends a new entity without pairs.
---@param classname string its class
---@param id integer its id
---@return VMFEntity? entity nothing when an argument is not taken
function VMF:CreateEntity(classname, id) end

---Appends the suffix to every entity name and every reference to one.
---@param suffix string|number a text, or a number appended in decimal
function VMF:Rename(suffix) end

---The entity at index i.
---@param i integer 0-based index
---@return VMFEntity? entity
function VMF:Entity(i) end

---The number of entities.
---@return integer count
function VMF:EntityCount() end

---World pair i.
---@param i integer 0-based index
---@return string? key
---@return string? value
function VMF:WorldKey(i) end

---The first world pair with exactly that key.
---@param key string
---@return string? key
---@return string? value
function VMF:FindWorldKey(key) end

---The number of world pairs.
---@return integer count
function VMF:WorldKeyCount() end

---The first entity with exactly that class.
---@param classname string
---@return VMFEntity? entity
function VMF:FindByClass(classname) end

---The first entity with exactly that name.
---@param name string
---@return VMFEntity? entity
function VMF:FindByName(name) end

---The first entity with that id.
---@param id integer
---@return VMFEntity? entity
function VMF:FindByID(id) end

---The first entity at or after start whose name matches (ASCII case ignored, a final '*' matches any rest).
---@param pattern string
---@param start integer 0-based index; below 0 is 0
---@return VMFEntity? entity
---@return integer? index
function VMF:FindNextByName(pattern, start) end

---The first entity at or after start whose class matches (ASCII case ignored, a final '*' matches any rest).
---@param pattern string
---@param start integer 0-based index; below 0 is 0
---@return VMFEntity? entity
---@return integer? index
function VMF:FindNextByClass(pattern, start) end

---The document as map text: what was read, byte for byte, with every edit in place.
---@return string text
function VMF:Text() end

---Gives every world pair with that key (ASCII case aside) the value, or appends the pair.
---@param key string
---@param value string
function VMF:SetWorldKey(key, value) end

---Removes the entity with its block (and an emptied hidden wrapper); its handles die.
---@param entity VMFEntity an entity of this document
function VMF:RemoveEntity(entity) end

---Reads a file straight into the document and parses it, as Parse would.
---@param path string a path resolved by util.RelativePathToFull
---@return true? read nil when the file cannot be read (the document stays as it was)
---@return string? message why: missing, a folder, a zero byte in it, ...
function VMF:Load(path) end

---Writes Text() straight to a file, replacing one there at once.
---@param path string a path resolved by util.RelativePathToFull
---@return true? saved nil when it failed (the old file stays as it was)
---@return string? message why: a folder or FIFO at the path, a full disk, ...
function VMF:Save(path) end

---The document's finalizer: the document and its handles die.
function VMF:__gc() end

---The number of top-level blocks (entities and world included).
---@return integer count
function VMF:BlockCount() end

---Top-level block i, in file order.
---@param i integer 0-based index
---@return VMFBlock? block
function VMF:Block(i) end

---The first top-level block at or after start with that name (ASCII case aside), and its index.
---@param name string
---@param start integer 0-based index
---@return VMFBlock? block
---@return integer? index
function VMF:FindBlock(name, start) end

---Renames by prefix: Rename's rules with the text in front, and a wildcard reference ("door*")
---that matches a name gets the prefix too, so that stamped copies stay apart.
---@param prefix string|number a whole number is written as Lua writes it
---@return true? done nil when refused
---@return string? message why, when refused
function VMF:Prefix(prefix) end

---Turns the whole document about the origin by angles, then moves it by offset: brush planes,
---texture axes (textures stay on their brushes), displacements, entity origins and angles.
---@param offset string? "x y z"; nil or "" for none
---@param angles string? "pitch yaw roll" in degrees; nil or "" for none
---@return true? done nil when refused
---@return string? message why, when refused
function VMF:Transform(offset, angles) end

---Copies other's entities (with their brushes, editor data, outputs and hidden wrappers), world
---brushes and visgroups into this document with fresh ids; references follow. other stays.
---@param other VMF
---@return true? done nil when refused
---@return string? message why, when refused
function VMF:Merge(other) end

---In every block named block, every pair key (both ASCII case aside) whose value is from (ASCII
---case aside, as the engine reads material and class names; a trailing "*" matches any rest) gets
---the value to, as SetValue gives it: an entity's name, class and id follow. Nothing changes when
---one of them cannot take to.
---@param block string a block name, or "*" for any
---@param key string
---@param from string
---@param to string
---@return integer? changed how many pairs changed; nil when refused
---@return string? message why, when refused
function VMF:Replace(block, key, from, to) end

---How many blocks are named block (ASCII case aside; "*" for any), or of them hold a pair key
---whose value matches value as Replace matches from (any value when there is none).
---@param block string
---@param key string?
---@param value string?
---@return integer? count nil for a wrong argument
---@return string? message why not
function VMF:Count(block, key, value) end

---An entity of a document: its pairs and outputs.
---@class VMFEntity
local VMFEntity = {}

---Pair i.
---@param i integer 0-based index
---@return string? key
---@return string? value
function VMFEntity:Key(i) end

---The number of pairs.
---@return integer count
function VMFEntity:KeyCount() end

---Output i as "Output target,Input,parameter,delay,times".
---@param i integer 0-based index
---@return string? connection
function VMFEntity:Connection(i) end

---The number of outputs.
---@return integer count
function VMFEntity:ConnectionCount() end

---The entity's class.
---@return string classname
function VMFEntity:Class() end

---The entity's id.
---@return integer id
function VMFEntity:ID() end

---Appends a pair (the name, class and id that searches see stay).
---@param key string
---@param value string
function VMFEntity:AddKey(key, value) end

---Appends an output.
---@param output string the output's name
---@param value string "target,Input,parameter,delay,times" (or ESC-separated)
function VMFEntity:AddConnection(output, value) end

---The first pair with exactly that key.
---@param key string
---@return string? key
---@return string? value
function VMFEntity:FindKey(key) end

---Output i as six texts, as written.
---@param i integer 0-based index
---@return string? output
---@return string? target
---@return string? input
---@return string? parameter
---@return string? delay
---@return string? times
function VMFEntity:ConnectionParts(i) end

---Gives every pair with that key (ASCII case aside) the value, or appends the pair.
---@param key string
---@param value string
function VMFEntity:SetKey(key, value) end

---Removes every pair with that key (ASCII case aside).
---@param key string
function VMFEntity:RemoveKey(key) end

---Removes output i.
---@param i integer 0-based index
function VMFEntity:RemoveConnection(i) end

---The handle's finalizer: tells the module that one value holding the handle is gone.
function VMFEntity:__gc() end

---Replaces output i where it stands, in its own separator.
---@param i integer 0-based index
---@param output string the output's name
---@param value string "target,Input,parameter,delay,times"
---@return true? done nil when refused
---@return string? message why, when refused
function VMFEntity:SetConnection(i, output, value) end

---The entity's own block: its pairs are the entity's pairs.
---@return VMFBlock? block
function VMFEntity:Block() end

---Any block of a document, "name { ... }", at any depth. An entity's block holds the entity's
---pairs, its connections block the entity's outputs, the world block the world pairs.
---@class VMFBlock
local VMFBlock = {}

---The block's name as written.
---@return string name
function VMFBlock:Name() end

---The 1-based line of the block's name in the text as parsed.
---@return integer? line nothing for a block added since
function VMFBlock:Line() end

---The number of pairs.
---@return integer count
function VMFBlock:KeyCount() end

---Pair i.
---@param i integer 0-based index
---@return string? key
---@return string? value
function VMFBlock:Key(i) end

---The first pair with exactly that key.
---@param key string
---@return string? key
---@return string? value
function VMFBlock:FindKey(key) end

---The 1-based line of pair i in the text as parsed.
---@param i integer 0-based index
---@return integer? line nothing for a pair added since
function VMFBlock:KeyLine(i) end

---Appends a pair.
---@param key string
---@param value string
---@return true? done nil when refused
---@return string? message why, when refused
function VMFBlock:AddKey(key, value) end

---Gives every pair with that key (ASCII case aside) the value, or appends the pair.
---@param key string
---@param value string
---@return true? done nil when refused
---@return string? message why, when refused
function VMFBlock:SetKey(key, value) end

---Removes every pair with that key (ASCII case aside).
---@param key string
---@return true? done nil when refused
---@return string? message why, when refused
function VMFBlock:RemoveKey(key) end

---Gives pair i alone the value.
---@param i integer 0-based index
---@param value string
---@return true? done nil when refused
---@return string? message why, when refused
function VMFBlock:SetValue(i, value) end

---The number of blocks inside.
---@return integer count
function VMFBlock:BlockCount() end

---Block i inside, in file order.
---@param i integer 0-based index
---@return VMFBlock? block
function VMFBlock:Block(i) end

---The first block inside at or after start with that name (ASCII case aside), and its index.
---@param name string
---@param start integer 0-based index
---@return VMFBlock? block
---@return integer? index
function VMFBlock:FindBlock(name, start) end

---Appends a new empty block inside; "entity" makes a new entity of the document.
---@param name string letters, digits and '_', not starting with a digit
---@return VMFBlock? block nil for another name, "world", or a second connections block
---@return string? message why, when refused
function VMFBlock:AddBlock(name) end

---Removes block i inside with everything in it, entities too; their handles die.
---@param i integer 0-based index
---@return true? done nil when refused
---@return string? message why, when refused
function VMFBlock:RemoveBlock(i) end

---The handle's finalizer: tells the module that one value holding the handle is gone.
function VMFBlock:__gc() end

---The reader's finalizer.
function TokenReader:__gc() end

---Called by the module for damage in a parsed map, when a script defines it.
---@param kind "Syntax"|"Connection"
---@param message string "line N: ..." for Syntax
function VMFParseFailure(kind, message) end
