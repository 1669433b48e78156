#pragma once

#include <QString>
#include <QStringList>

namespace hivekit {
struct GUID;
}

namespace quillon {

// Finds and opens Hivekit's shared library and creates its objects by class identifier,
// the way the component system would: DllGetClassObject hands out the class factory, the
// factory creates the object. Failures throw ClientError; nothing here aborts.
class ComponentLoader {
  public:
    // Where the library is looked for, in order: beside the program (a build or an unpacked
    // folder), in an installed copy's private library folder (lib/quillon below the prefix, as
    // the install lays it out), then the bare file name (the system's library path).
    static QStringList candidatePaths();

    // Opens the first candidate that loads; the handle is kept until freeUnused() unloads it.
    static void* library();

    // Unloads the library when none of its objects is alive (DllCanUnloadNow says so), as the
    // component system frees unused libraries: a program waiting between checks then keeps
    // neither the component nor SQLite mapped. The next object loads it again. True when
    // unloaded.
    static bool freeUnused();

    // Starts loading the library, from the same places, on a thread of its own, so that the
    // loading (SQLite with it) overlaps the program's start; library() then finds it loaded.
    // Best effort: whatever goes wrong is left for library() to find and report. Call it
    // before the QApplication is built (the thread uses no Qt).
    static void preload();

    // Creates an object of class `clsid` and returns its interface `iid` (a reference the
    // caller releases).
    static void* createObject(const hivekit::GUID& clsid, const hivekit::GUID& iid);

    // Opens one of `candidates` (tests use this to try a folder without the library).
    static void* openLibrary(const QStringList& candidates);
    static void* createObjectFrom(void* library, const hivekit::GUID& clsid,
                                  const hivekit::GUID& iid);
};

}  // namespace quillon
