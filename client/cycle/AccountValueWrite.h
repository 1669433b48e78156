#pragma once

#include <QString>

namespace quillon {

// Writes one text value into the account key `userKey`. False when the store did not take the
// write (a read-only or full store, one another program holds past the busy time-out); `why`
// then says why. The update engine acts on nothing whose state it could not store first.
bool WriteAccountValue(const QString& userKey, const QString& name, const QString& value,
                       QString* why = nullptr);

// The reason given when the store answered a write with a plain "not written".
QString StoreRefusedWriteText();

}  // namespace quillon
