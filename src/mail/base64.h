// Base64 for mail attachments and the AUTH LOGIN exchange; one object reuses its buffers.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CBase64 {
  public:
    virtual ~CBase64() = default;

    // One unbroken line of 4 × ceil(n / 3) characters.
    virtual void Encode(const char* text);
    virtual void Encode(const unsigned char* data, size_t length);
    // Groups of four give three bytes each; a final partial group of k characters gives k
    // bytes. Blanks and the bytes 7 to 13 are skipped; nothing else is checked.
    virtual void Decode(const char* text);
    virtual void Decode(const char* text, size_t length);

    // Zero-terminated results of the last call.
    const unsigned char* GetDecoded() const { return m_decoded.data(); }
    size_t DecodedLength() const { return m_decodedLength; }
    const char* GetEncoded() const { return m_encoded.data(); }
    size_t EncodedLength() const { return m_encodedLength; }

    // The encoded form of bytes as a string.
    static std::string EncodeToString(const unsigned char* data, size_t length);

  protected:
    virtual void ReserveEncoded(size_t size);
    virtual void ReserveDecoded(size_t size);
    virtual bool IsSkippedChar(unsigned char c) const { return (c >= 7 && c <= 13) || c == ' '; }

  private:
    std::vector<char> m_encoded;
    size_t m_encodedLength = 0;
    std::vector<unsigned char> m_decoded;
    size_t m_decodedLength = 0;
};
