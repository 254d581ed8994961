#ifndef MAPWRIGHT_TOKENIZER_TOKEN_TYPE_H
#define MAPWRIGHT_TOKENIZER_TOKEN_TYPE_H

namespace mapwright {

// The values are fixed: scripts see them as the globals TOKEN_ERROR..TOKEN_COMMENT.
enum TokenType : int {
  TOKEN_ERROR = 0,
  TOKEN_NONE = 1,
  TOKEN_EOF = 2,
  TOKEN_OPERATOR = 3,
  TOKEN_NUMBER = 4,
  TOKEN_STRING = 5,
  TOKEN_IDENTIFIER = 6,
  TOKEN_COMMENT = 7,
};

}  // namespace mapwright

#endif
