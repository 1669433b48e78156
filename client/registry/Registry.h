#pragma once

#include <QString>
#include <QtGlobal>

namespace hivekit {
class _CRegistry;
}

namespace quillon {

// One CRegistry object of the Hivekit component, owned for the life of this object and
// released when it goes out of scope. Create one per task: put the key, then read or write.
// A failed call of the component throws ClientError with the component's number, source and
// description; creating the object throws ClientError when the component cannot be loaded.
class Registry {
  public:
    // The predefined roots; the client uses the default, HKEY_LOCAL_MACHINE.
    static constexpr qint32 HkeyClassRoot = static_cast<qint32>(0x80000000u);
    static constexpr qint32 HkeyCurrentUser = static_cast<qint32>(0x80000001u);
    static constexpr qint32 HkeyLocalMachine = static_cast<qint32>(0x80000002u);
    // Registry data types for SetValue's optional type (0: chosen from the value).
    static constexpr qint16 RegSz = 1;
    static constexpr qint16 RegExpandSz = 2;
    static constexpr qint16 RegDword = 4;
    static constexpr qint16 RegMultiSz = 7;

    Registry();
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;
    Registry(Registry&& other) noexcept;
    Registry& operator=(Registry&& other) noexcept;

    // Chooses the key (path below Root, parts separated by "\") and reads its values.
    void setKey(const QString& key);
    QString key() const;

    // One more than the number of values read: read positions 1 to valueCount() - 1.
    qint16 valueCount() const;
    QString getName(qint16 position) const;
    // By position (from 1) or by name; a value that is not there gives an empty string.
    QString getValue(qint16 position) const;
    QString getValue(const QString& name) const;

    // Writes the value named `name` (or, with setValueAt, the value at that position). The
    // kind of `value` picks the stored type when `regType` is 0: text, 16-bit or 32-bit number.
    // True when written.
    bool setValue(const QString& name, const QString& value, qint16 regType = 0);
    bool setValue(const QString& name, qint16 value, qint16 regType = 0);
    bool setValue(const QString& name, qint32 value, qint16 regType = 0);
    bool setValueAt(qint16 position, const QString& value, qint16 regType = 0);
    bool setValueAt(qint16 position, qint16 value, qint16 regType = 0);
    bool setValueAt(qint16 position, qint32 value, qint16 regType = 0);

    bool deleteValue(const QString& name);
    // Deletes the sub-key `keyName` of the current key and everything below it.
    bool deleteKey(const QString& keyName);
    // Makes the sub-key `keyName` the current key and creates it; with a value name and a
    // value also writes that value. -1 when the key was created or opened, 0 otherwise.
    qint16 create(const QString& keyName);
    qint16 create(const QString& keyName, const QString& valueName, const QString& value);

    void setRoot(qint32 root);
    qint32 root() const;
    void setAutoCreate(bool autoCreate);
    bool autoCreate() const;

    // The component's object itself, for callers that need a member not wrapped here.
    hivekit::_CRegistry* object() const { return object_; }

  private:
    hivekit::_CRegistry* object_ = nullptr;
};

}  // namespace quillon
