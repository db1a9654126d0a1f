// A small accessor over the registry: set the place once, then read and write values by name.
#pragma once
#include "core/reg_value.h"

#include <windows.h>
#include <string>
#include <utility>
#include <vector>

namespace tsln {

// Ordered (name, value) pairs as the registry enumerates them; the name is the lookup key.
class RegPairs {
public:
    using Pair = std::pair<std::string, RegValue>;
    void Add(std::string name, RegValue value) { pairs_.emplace_back(std::move(name), std::move(value)); }
    size_t Count() const { return pairs_.size(); }
    const Pair& operator[](size_t index) const { return pairs_[index]; }
    // The value named `name` (compared without letter case, as registry names are), or null.
    const RegValue* Find(const std::string& name) const;
    auto begin() const { return pairs_.begin(); }
    auto end() const { return pairs_.end(); }

private:
    std::vector<Pair> pairs_;
};

class RegistryRoutines {
public:
    HKEY hkey() const { return hkey_; }
    void SetHkey(HKEY root) { hkey_ = root; }
    const std::string& KeyRoot() const { return keyRoot_; }
    void SetKeyRoot(std::string path) { keyRoot_ = std::move(path); }
    const std::string& Subkey() const { return subkey_; }
    void SetSubkey(std::string path) { subkey_ = std::move(path); }

    bool KeyExists() const;
    std::string CreateKey() const { return CreateKey(subkey_); }
    std::string CreateKey(const std::string& name) const;
    long DeleteKey(const std::string& name) const;
    long DeleteValue(const std::string& name) const;
    RegValue GetRegistryValue(const std::string& name, const RegValue& defaultValue = {}) const;
    bool SetRegistryValue(const std::string& name, const RegValue& value, DWORD type) const;
    // Many REG_SZ values written to the current key with one opening of it; false when the key cannot
    // be opened or a write fails (the values before it are written).
    bool SetRegistryTexts(const std::vector<std::pair<std::string, std::string>>& values) const;
    // How many values the current key holds; 0 when it cannot be opened.
    DWORD ValueCount() const;
    RegPairs EnumRegistryValues(HKEY root, const std::string& path) const;
    std::string DeleteSubkey(const std::string& path) const;
    static std::string TrimNull(std::string& text);

    // KeyRoot + "\" + Subkey: the key most operations address.
    std::string CurrentKeyPath() const { return keyRoot_ + "\\" + subkey_; }

private:
    HKEY hkey_ = nullptr;
    std::string keyRoot_;
    std::string subkey_;
};

// Expands environment-variable references in a text.
std::string ExpandEnvironment(const std::string& text);

// "0A 05 FF": each byte as two upper-case hexadecimal digits, separated by single blanks.
std::string BytesToHexText(const uint8_t* data, size_t size);

} // namespace tsln
