// Cuts the initialization string into tokens, in place.
#pragma once

// Returns the next token of the text at *cursor and advances the cursor. At
// the end of the text it returns the empty token, again on every call.
char* next_token(char** cursor);
