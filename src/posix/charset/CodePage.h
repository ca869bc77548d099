#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "text/Utf8.h"  // IsValidUtf8, which callers ask before converting

namespace tessel {

// The encodings a profile file is found in. Inside the program every text is UTF-8.
enum class Encoding { kUtf8, kUtf16Le, kCp932 };

struct DetectedEncoding {
    Encoding encoding;
    std::size_t bomSize;  // bytes of byte-order mark at the start of the file
};

// Decides a file's encoding from its bytes the way the Windows profile functions do: a UTF-16LE
// byte-order mark wins, then a UTF-8 one; bytes that are valid UTF-8 are UTF-8; anything else is
// taken to be Windows-31J.
DetectedEncoding DetectEncoding(std::string_view bytes);

// What becomes of Windows-31J bytes that do not decode: U+FFFD, which tells them apart from any
// text, or what MultiByteToWideChar makes of them (U+30FB for a bad pair, taking the byte after a
// lead byte along whatever it is), which is what the Windows profile functions hand out.
enum class Undecodable { kReplacementCharacter, kAsWindows };

// Converts between UTF-8 and one encoding. Holds its iconv handles, so one converter serves all
// lines of a file without reopening them.
class CodePageConverter {
  public:
    explicit CodePageConverter(Encoding encoding,
                               Undecodable undecodable = Undecodable::kReplacementCharacter);
    ~CodePageConverter();
    CodePageConverter(const CodePageConverter&) = delete;
    CodePageConverter& operator=(const CodePageConverter&) = delete;

    // Never fails: a byte sequence that is not valid in the encoding is replaced (see Undecodable),
    // and the text after it is decoded as if the bad sequence were not there.
    std::string ToUtf8(std::string_view bytes);

    // Empty when text is not valid UTF-8 or holds a character the encoding has no exact code for
    // (a lossy substitute would silently change what is read back). In Windows-31J the JIS forms
    // that Linux input methods type (U+301C, U+2212, ...) take the codes Windows sends for the
    // same keys, and read back as Windows' characters.
    std::optional<std::string> FromUtf8(std::string_view text);

  private:
    std::string Cp932ToUtf8(std::string_view bytes);
    std::optional<std::string> Utf8ToCp932(std::string_view text);

    Encoding encoding_;
    Undecodable undecodable_;
    void* toUtf8_ = nullptr;    // iconv_t, opened on first use
    void* fromUtf8_ = nullptr;  // iconv_t, opened on first use
    bool toUtf8Failed_ = false;
    bool fromUtf8Failed_ = false;
    // The last few texts that needed iconv each way and what they became: a batch gives its
    // boards the same preferences and reads back the same bytes, so most conversions repeat one
    // made just before.
    template <typename Result>
    struct Recent {
        struct Entry {
            std::string text;
            Result result;
        };
        Entry entries[4];
        std::size_t next = 0;

        const Result* Find(std::string_view text) const;
        void Keep(std::string_view text, const Result& result);
    };
    Recent<std::string> decoded_;
    Recent<std::optional<std::string>> encoded_;
};

}  // namespace tessel
