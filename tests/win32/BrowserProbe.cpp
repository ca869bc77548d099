// What a test needs of Windows itself to lay out and check a browser profile, each from a process
// of its own as another program on the machine would be:
//   browser_probe key LOCAL_STATE HEX_KEY     writes a Local State whose key DPAPI protects
//   browser_probe unprotect LOCAL_STATE       prints that key in hex, as DPAPI gives it back
//   browser_probe hold FILE                   holds FILE open unshared until standard input ends
#include <windows.h>
// After windows.h, which it builds on.
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "win32/CommandLine.h"
#include "win32/WideText.h"

namespace {

std::string Hex(const std::string& bytes) {
    std::string text;
    for (const unsigned char byte : bytes) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", byte);
        text += pair;
    }
    return text;
}

std::string FromHex(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
        bytes += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
    return bytes;
}

DATA_BLOB Blob(std::string& bytes) {
    return {static_cast<DWORD>(bytes.size()), reinterpret_cast<BYTE*>(bytes.data())};
}

int WriteKey(const std::string& path, std::string key) {
    DATA_BLOB in = Blob(key);
    DATA_BLOB out{};
    if (!CryptProtectData(&in, nullptr, nullptr, nullptr, nullptr, 0, &out))
        return 1;
    const std::string stored =
        "DPAPI" + std::string(reinterpret_cast<char*>(out.pbData), out.cbData);
    LocalFree(out.pbData);
    DWORD size = 0;
    const DWORD flags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;
    auto* bytes = reinterpret_cast<const BYTE*>(stored.data());
    CryptBinaryToStringA(bytes, static_cast<DWORD>(stored.size()), flags, nullptr, &size);
    std::string base64(size, '\0');
    CryptBinaryToStringA(bytes, static_cast<DWORD>(stored.size()), flags, base64.data(), &size);
    base64.resize(size);
    std::ofstream(tessel::win32::Widen(path).c_str())
        << R"({"os_crypt":{"encrypted_key":")" << base64 << "\"}}";
    return 0;
}

int PrintKey(const std::string& path) {
    std::ifstream file(tessel::win32::Widen(path).c_str());
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const std::size_t start = text.find("encrypted_key\":\"") + 16;
    const std::string base64 = text.substr(start, text.find('"', start) - start);
    DWORD size = 0;
    CryptStringToBinaryA(base64.c_str(), 0, CRYPT_STRING_BASE64, nullptr, &size, nullptr, nullptr);
    std::string stored(size, '\0');
    CryptStringToBinaryA(base64.c_str(), 0, CRYPT_STRING_BASE64,
                         reinterpret_cast<BYTE*>(stored.data()), &size, nullptr, nullptr);
    std::string blob = stored.substr(5);
    DATA_BLOB in = Blob(blob);
    DATA_BLOB out{};
    if (stored.compare(0, 5, "DPAPI") != 0 ||
        !CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, 0, &out))
        return 1;
    std::cout << Hex(std::string(reinterpret_cast<char*>(out.pbData), out.cbData)) << '\n';
    LocalFree(out.pbData);
    return 0;
}

int Hold(const std::string& path) {
    const HANDLE file =
        CreateFileW(tessel::win32::Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    std::cout << "held" << std::endl;
    for (std::string line; std::getline(std::cin, line);) {
    }
    CloseHandle(file);
    return 0;
}

}  // namespace

int main() {
    const auto args = tessel::win32::CommandLineArguments();
    if (args.size() == 4 && args[1] == "key")
        return WriteKey(args[2], FromHex(args[3]));
    if (args.size() == 3 && args[1] == "unprotect")
        return PrintKey(args[2]);
    if (args.size() == 3 && args[1] == "hold")
        return Hold(args[2]);
    return 2;
}
