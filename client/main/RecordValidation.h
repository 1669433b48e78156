#pragma once

#include <QString>

#include "cycle/GridRecord.h"

namespace quillon {

// What the record editor's boxes hold.
struct RecordInput {
    QString domain;      // cboDomain
    QString recordType;  // cboRecordType
    QString name;        // txtCName
    QString serverIP;    // txtServerIP
    QString port;        // txtPort
};

// Whether a record type is a port relay ("Port Relay" in any letter case).
bool IsPortRelayType(const QString& recordType);

// Whether a port box holds a plain decimal number (blanks around it allowed).
bool IsPortNumber(const QString& port);

// Checks the editor's input in order and returns the message of the first check that fails, or
// an empty text when the input is valid. May rewrite the input: a port relay's "\" become "/",
// and the name "root" (any case) becomes "@" unless a port relay check failed.
QString ValidateRecordInput(RecordInput& input);

// Whether the input differs from the record that was opened: name, type, domain and port
// exactly, the address without regard to case, and the AutoIP state. The port only counts for a
// port relay, since the port box keeps its text, hidden, under every other type.
bool RecordChanged(const RecordInput& input, bool autoIP, const GridRecord& record);

}  // namespace quillon
