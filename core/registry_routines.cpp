#include "core/registry_routines.h"
#include "core/unique_any.h"

#include <algorithm>
#include <cstring>

namespace tsln {

namespace {
// The terminator is counted only after a character: an empty text is stored with no data at all, so
// that it reads back as the reader's default.
LONG SetText(HKEY key, const std::string& name, const std::string& text, DWORD type) {
    return RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.empty() ? 0 : text.size() + 1));
}
// A stored text without its terminating NUL: one written by another program without the terminator
// keeps its last character.
std::string StoredText(const char* chars, DWORD size) {
    return std::string(chars, size > 0 && chars[size - 1] == '\0' ? size - 1 : size);
}
} // namespace

const RegValue* RegPairs::Find(const std::string& name) const {
    for (const auto& pair : pairs_)
        if (lstrcmpiA(pair.first.c_str(), name.c_str()) == 0) return &pair.second;
    return nullptr;
}

std::string ExpandEnvironment(const std::string& text) {
    DWORD needed = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    if (needed == 0) return text;
    std::string out(needed, '\0');
    DWORD got = ExpandEnvironmentStringsA(text.c_str(), &out[0], needed);
    if (got == 0 || got > needed) return text;
    out.resize(got - 1);
    return out;
}

std::string BytesToHexText(const uint8_t* data, size_t size) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        if (i != 0) text += ' ';
        text += digits[data[i] >> 4];
        text += digits[data[i] & 15];
    }
    return text;
}

bool RegistryRoutines::KeyExists() const {
    unique_hkey key;
    return RegOpenKeyExA(hkey_, CurrentKeyPath().c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

std::string RegistryRoutines::CreateKey(const std::string& name) const {
    unique_hkey key;
    DWORD disposition = 0;
    std::string path = keyRoot_ + "\\" + name;
    LONG rc = RegCreateKeyExA(hkey_, path.c_str(), 0, const_cast<char*>(""), REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, key.put(), &disposition);
    return rc == ERROR_SUCCESS ? "0" : "";
}

long RegistryRoutines::DeleteKey(const std::string& name) const {
    // A key with subkeys, or a missing one, stays as it is.
    RegDeleteKeyA(hkey_, (keyRoot_ + "\\" + name).c_str());
    return 0;
}

long RegistryRoutines::DeleteValue(const std::string& name) const {
    unique_hkey key;
    LONG rc = RegOpenKeyExA(hkey_, CurrentKeyPath().c_str(), 0, KEY_ALL_ACCESS, key.put());
    if (rc != ERROR_SUCCESS) return rc;
    return RegDeleteValueA(key.get(), name.c_str());
}

RegValue RegistryRoutines::GetRegistryValue(const std::string& name, const RegValue& defaultValue) const {
    unique_hkey key;
    if (RegOpenKeyExA(hkey_, CurrentKeyPath().c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return RegValue("Error!");

    std::vector<uint8_t> data(1024);
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(data.size());
    LONG rc = RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, data.data(), &size);
    if (rc == ERROR_MORE_DATA) {
        data.resize(size);
        rc = RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, data.data(), &size);
    }
    if (rc != ERROR_SUCCESS) return defaultValue;
    size = std::min<DWORD>(size, static_cast<DWORD>(data.size()));
    const char* chars = reinterpret_cast<const char*>(data.data());

    switch (type) {
    case REG_SZ:
        if (size == 0) return defaultValue;
        return RegValue(StoredText(chars, size));
    case REG_EXPAND_SZ: {
        if (size == 0) return defaultValue;
        std::string raw = StoredText(chars, size);
        return RegValue(ExpandEnvironment(TrimNull(raw)));
    }
    case REG_BINARY:
        return RegValue(RegValue::Bytes(data.begin(), data.begin() + size));
    case REG_DWORD: {
        if (size < 4) return defaultValue;
        int32_t number;
        memcpy(&number, data.data(), 4);
        return RegValue(number);
    }
    case REG_MULTI_SZ: {
        std::string text = size >= 2 ? std::string(chars, size - 2) : std::string();
        if (text.empty() || text[0] == '\0') return defaultValue;
        return RegValue(text);
    }
    default:
        return defaultValue;
    }
}

bool RegistryRoutines::SetRegistryValue(const std::string& name, const RegValue& value, DWORD type) const {
    // Conversion first: a value that cannot take the type is the caller's failure, raised before any write.
    std::string text;
    RegValue::Bytes bytes;
    int32_t number = 0;
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ:
        text = value.AsText();
        break;
    case REG_BINARY:
        bytes = value.AsBytes();
        break;
    case REG_DWORD:
        number = value.AsLong();
        break;
    default:
        return false;
    }

    unique_hkey key;
    if (RegOpenKeyExA(hkey_, CurrentKeyPath().c_str(), 0, KEY_WRITE, key.put()) != ERROR_SUCCESS)
        return false;
    LONG rc;
    switch (type) {
    case REG_BINARY:
        rc = RegSetValueExA(key.get(), name.c_str(), 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
        break;
    case REG_DWORD:
        rc = RegSetValueExA(key.get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(&number), 4);
        break;
    case REG_MULTI_SZ: {
        // A multi-string ends in two NULs; the text already holds the NULs between its strings.
        std::string data = text + std::string(2, '\0');
        rc = RegSetValueExA(key.get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                            static_cast<DWORD>(data.size()));
        break;
    }
    default:
        rc = SetText(key.get(), name, text, type);
        break;
    }
    return rc == ERROR_SUCCESS;
}

bool RegistryRoutines::SetRegistryTexts(
    const std::vector<std::pair<std::string, std::string>>& values) const {
    unique_hkey key;
    if (RegOpenKeyExA(hkey_, CurrentKeyPath().c_str(), 0, KEY_WRITE, key.put()) != ERROR_SUCCESS)
        return false;
    for (const auto& value : values)
        if (SetText(key.get(), value.first, value.second, REG_SZ) != ERROR_SUCCESS) return false;
    return true;
}

DWORD RegistryRoutines::ValueCount() const {
    unique_hkey key;
    DWORD count = 0;
    if (RegOpenKeyExA(hkey_, CurrentKeyPath().c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS ||
        RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return count;
}

RegPairs RegistryRoutines::EnumRegistryValues(HKEY root, const std::string& path) const {
    RegPairs pairs;
    unique_hkey opened;
    HKEY key = root;
    if (!path.empty()) {
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, opened.put()) != ERROR_SUCCESS) return pairs;
        key = opened.get();
    }
    std::vector<uint8_t> data(4096);
    for (DWORD index = 0;; ++index) {
        char name[260];
        DWORD nameLength = sizeof name;
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(data.size());
        LONG rc = RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data.data(), &size);
        if (rc == ERROR_MORE_DATA) {
            data.resize(size);
            nameLength = sizeof name;
            size = static_cast<DWORD>(data.size());
            rc = RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data.data(), &size);
        }
        if (rc != ERROR_SUCCESS) break;
        size = std::min<DWORD>(size, static_cast<DWORD>(data.size()));
        const char* chars = reinterpret_cast<const char*>(data.data());

        RegValue value;
        switch (type) {
        case REG_SZ:
            value = RegValue(StoredText(chars, size));
            break;
        case REG_EXPAND_SZ: {
            std::string raw = StoredText(chars, size);
            if (!raw.empty()) {
                std::string expanded = ExpandEnvironment(TrimNull(raw));
                value = RegValue(TrimNull(expanded));
            } else {
                value = RegValue(std::string());
            }
            break;
        }
        case REG_BINARY:
            value = RegValue(BytesToHexText(data.data(), size));
            break;
        case REG_DWORD: {
            int32_t number = 0;
            if (size >= 4) memcpy(&number, data.data(), 4);
            value = RegValue(number);
            break;
        }
        case REG_MULTI_SZ: {
            std::string text = size >= 2 ? std::string(chars, size - 2) : std::string();
            for (char& c : text)
                if (c == '\0') c = ',';
            value = RegValue(text);
            break;
        }
        default:
            break;
        }
        pairs.Add(std::string(name, nameLength), std::move(value));
    }
    return pairs;
}

std::string RegistryRoutines::DeleteSubkey(const std::string& path) const {
    // Every failure is ignored: the key stays where it is.
    unique_hkey root;
    if (RegOpenKeyExA(hkey_, nullptr, 0, KEY_ALL_ACCESS, root.put()) == ERROR_SUCCESS)
        RegDeleteKeyA(root.get(), path.c_str());
    return {};
}

std::string RegistryRoutines::TrimNull(std::string& text) {
    size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    return text;
}

} // namespace tsln
