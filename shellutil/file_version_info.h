// The version resource of an executable or library as text properties. Setting FullPathName reads
// everything at once.
#pragma once
#include <string>

namespace tsln {

class CFileVersionInfo {
public:
    // The path as the platform expands it (GetFullPathNameA); setting it reads the file's resource.
    const std::string& FullPathName() const { return fullPathName_; }
    // A path the platform cannot expand changes nothing. Failures of reading pass to the caller.
    void SetFullPathName(const std::string& path);
    // Reads the file named by FullPathName again. A file without a version resource makes Available
    // false and leaves every other property as it was.
    void Refresh();

    bool Available() const { return available_; }
    const std::string& VerStructure() const { return verStructure_; }
    const std::string& VerFile() const { return verFile_; }
    const std::string& VerProduct() const { return verProduct_; }
    const std::string& FileFlags() const { return fileFlags_; }
    const std::string& FileOS() const { return fileOS_; }
    const std::string& FileType() const { return fileType_; }
    // Keeps its earlier text for a type whose subtypes have no words.
    const std::string& FileSubType() const { return fileSubType_; }
    const std::string& Language() const { return language_; }

    const std::string& Comments() const { return strings_[kComments]; }
    const std::string& CompanyName() const { return strings_[kCompanyName]; }
    const std::string& FileDescription() const { return strings_[kFileDescription]; }
    const std::string& FileVersion() const { return strings_[kFileVersion]; }
    const std::string& InternalName() const { return strings_[kInternalName]; }
    const std::string& LegalCopyright() const { return strings_[kLegalCopyright]; }
    const std::string& LegalTrademarks() const { return strings_[kLegalTrademarks]; }
    const std::string& OriginalFilename() const { return strings_[kOriginalFilename]; }
    const std::string& ProductName() const { return strings_[kProductName]; }
    const std::string& ProductVersion() const { return strings_[kProductVersion]; }
    const std::string& PrivateBuild() const { return strings_[kPrivateBuild]; }
    const std::string& SpecialBuild() const { return strings_[kSpecialBuild]; }

    // Entry 0 is the language, 1 to 14 the string entries from "Comments" to "LegalTrademarks2"; any
    // other number gives empty texts.
    std::string PredefinedName(int which) const;
    std::string PredefinedValue(int which) const;

private:
    // The string entries, numbered as PredefinedName numbers them.
    enum StringEntry {
        kComments = 1,
        kCompanyName,
        kFileDescription,
        kFileVersion,
        kInternalName,
        kLegalCopyright,
        kLegalTrademarks,
        kOriginalFilename,
        kProductName,
        kProductVersion,
        kPrivateBuild,
        kSpecialBuild,
        kLegalTrademarks1,
        kLegalTrademarks2,
        kEntryCount
    };

    std::string fullPathName_;
    bool available_ = false;
    std::string verStructure_;
    std::string verFile_;
    std::string verProduct_;
    std::string fileFlags_;
    std::string fileOS_;
    std::string fileType_;
    std::string fileSubType_;
    std::string language_;
    std::string strings_[kEntryCount]; // [0] unused: entry 0 is the language
};

} // namespace tsln
