#pragma once

#include <QString>

namespace quillon {

// The current record: the grid row that the delete action and the editor act on. Empty (all
// texts empty, AutoIP false) for a new record.
struct GridRecord {
    QString Domain;
    QString RecordType;
    QString Name;  // "Root" is read as "@"
    QString ServerAddress;
    QString Port;  // port relays only, filled by the editor
    bool AutoIP = false;

    void clear() { *this = GridRecord(); }
};

}  // namespace quillon
