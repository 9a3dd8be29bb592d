// Standard base64 (RFC 4648 alphabet, '=' padding, no line breaks) for payloads in page script calls.
#pragma once

namespace keel {

// Bytes the encoder writes for count source bytes, NUL included: 4 x ceil(count / 3) + 1.
int Base64EncodedBufferSize(int count);

// Writes the base64 text of count bytes and a NUL into dest, which holds Base64EncodedBufferSize(count)
// bytes.
void Base64EncodeToBuffer(const void* source, char* dest, int count);

// Decoded size of a base64 text of textLength characters: textLength x 3 / 4, less one per trailing '='
// (two when the second-to-last character is '=').
int Base64DecodedSize(const char* text, int textLength);

// Decodes into dest (Base64DecodedSize bytes). Stops at the first character outside the alphabet; output
// bytes not reached stay 0. Returns the decoded size.
int Base64DecodeToBuffer(const char* text, int textLength, unsigned char* dest);

} // namespace keel
