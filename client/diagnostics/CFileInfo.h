#pragma once

#include <QString>
#include <cstdint>

namespace quillon {

// Describes one file: its names, sizes, times and attributes, with helpers that format a
// date and a size for people. Setting FullPathName selects the file and reads everything at
// once; the other properties return what was read. Setting a time or an attribute changes
// the file and reads it again. Members keep the class's published order.
//
// How the properties land on Linux:
// - FullPathName: realpath() of the name; a file that does not exist (yet) gets the
//   absolute, cleaned form of the name instead, so the object can still say it is missing.
//   Folders are separated by "/" and FilePath ends in "/".
// - There are no 8.3 names: ShortPathName is FullPathName, ShortName the upper-cased
//   FileName (as the class gives when the system has none), ShortPath what is left of
//   ShortPathName without ShortName (the folder part).
// - The shell's values come from the name: DisplayName is FileName; TypeName is the
//   upper-cased extension and " File" ("File" when there is no extension), which is what
//   the class shows when the shell has no type name. There is no icon handle: hIcon is 0.
// - CompressedFileSize is the space the file takes on disk (st_blocks x 512).
// - CreationTime is the birth time where the file system records it (statx), otherwise
//   the last status change. Linux cannot set a birth time: the CreationTime put changes
//   nothing. The other two puts set the access or modification time with utimensat(),
//   leaving the other time alone.
// - Attributes are derived from the file's mode and name:
//     attrReadOnly  (1)    no write permission bit is set; the put clears every write bit,
//                          or gives the owner write permission back
//     attrHidden    (2)    the name starts with "."; the put does nothing (it would rename)
//     attrSystem    (4)    a device, pipe or socket rather than a file or folder; put: no-op
//     Directory     (16)   a folder (read only)
//     attrArchive   (32)   a regular file (Windows marks new and changed files so); no-op put
//     Normal        (128)  given when none of the others is
//     attrTemporary (256)  never set; the put does nothing
//     attrCompressed(2048) never set; the put does nothing
//   The Attributes put applies the read-only bit only; the other bits cannot be changed.
class CFileInfo {
  public:
    static constexpr int32_t kReadOnly = 1;
    static constexpr int32_t kHidden = 2;
    static constexpr int32_t kSystem = 4;
    static constexpr int32_t kDirectory = 16;
    static constexpr int32_t kArchive = 32;
    static constexpr int32_t kNormal = 128;
    static constexpr int32_t kTemporary = 256;
    static constexpr int32_t kCompressed = 2048;

    CFileInfo() = default;

    void setFullPathName(const QString& newVal);
    QString FullPathName() const { return fullPathName_; }
    QString FileName() const { return fileName_; }
    QString FilePath() const { return filePath_; }
    QString FileExtension() const { return fileExtension_; }
    QString ShortPathName() const { return shortPathName_; }
    QString ShortName() const { return shortName_; }
    QString ShortPath() const { return shortPath_; }
    QString DisplayName() const { return displayName_; }
    QString TypeName() const { return typeName_; }
    bool FileExists() const { return fileExists_; }
    bool PathExists() const { return pathExists_; }
    int32_t FileSize() const { return fileSize_; }
    int32_t FileSizeHigh() const { return fileSizeHigh_; }
    int32_t CompressedFileSize() const { return compressedFileSize_; }
    int32_t CompressedFileSizeHigh() const { return compressedFileSizeHigh_; }
    void setCreationTime(double newVal);
    double CreationTime() const { return creationTime_; }
    void setLastAccessTime(double newVal);
    double LastAccessTime() const { return lastAccessTime_; }
    void setModifyTime(double newVal);
    double ModifyTime() const { return modifyTime_; }
    void setAttributes(int32_t newVal);
    int32_t Attributes() const { return attributes_; }
    void setattrReadOnly(bool newVal) { setBit(kReadOnly, newVal); }
    bool attrReadOnly() const { return (attributes_ & kReadOnly) != 0; }
    void setattrHidden(bool newVal) { setBit(kHidden, newVal); }
    bool attrHidden() const { return (attributes_ & kHidden) != 0; }
    void setattrSystem(bool newVal) { setBit(kSystem, newVal); }
    bool attrSystem() const { return (attributes_ & kSystem) != 0; }
    void setattrArchive(bool newVal) { setBit(kArchive, newVal); }
    bool attrArchive() const { return (attributes_ & kArchive) != 0; }
    void setattrTemporary(bool) {}
    bool attrTemporary() const { return (attributes_ & kTemporary) != 0; }
    void setattrCompressed(bool) {}
    bool attrCompressed() const { return (attributes_ & kCompressed) != 0; }
    int32_t hIcon() const { return 0; }

    // Reads the file again. A file that is not found sets FileExists false and leaves every
    // other value as it was.
    void Refresh();

    // The locale's short date, a blank and its long time ("short date" and "long time").
    // The locale is QLocale(): the system's, unless the program or a test set a default.
    static QString FormatFileDate(double dt);

    // A size for people: "1,023 bytes", "1.50KB (1,536 bytes)", with the locale's separators.
    // The size is taken as unsigned 32 bits (-1 is 4,294,967,295 bytes), as FileSize gives it.
    static QString FormatFileSize(int32_t size);

  private:
    void setBit(int32_t bit, bool on);
    // Sets the access (true) or modification time; false when the file refused it.
    bool putTime(double newVal, bool access);

    QString fullPathName_;
    QString fileName_;
    QString filePath_;
    QString fileExtension_;
    QString shortPathName_;
    QString shortName_;
    QString shortPath_;
    QString displayName_;
    QString typeName_;
    bool fileExists_ = false;
    bool pathExists_ = false;
    int32_t fileSize_ = 0;
    int32_t fileSizeHigh_ = 0;
    int32_t compressedFileSize_ = 0;
    int32_t compressedFileSizeHigh_ = 0;
    double creationTime_ = 0.0;
    double lastAccessTime_ = 0.0;
    double modifyTime_ = 0.0;
    int32_t attributes_ = 0;
};

}  // namespace quillon
