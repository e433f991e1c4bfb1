// cmListFiles: the files of a folder that match a mask, optionally with those
// of its matching sub-folders. Names that begin with a dot are skipped (the
// folder's own entries and hidden files alike), and symbolic links to folders
// are never entered.
#pragma once

#include "CustomCode/Common/cmString.h"
#include "platform/kernel32/FileFind.h"
#include "platform/kernel32/WinTypes.h"

#include <vector>

// Whether a listing descends into sub-folders.
enum class cmListRecurse { No, Yes };

struct cmListFileEntry {
    cmString szFolder;  // ends with the separator
    WIN32_FIND_DATAA findData;
};

class cmListFiles {
public:
    cmListFiles() = default;
    virtual ~cmListFiles();

    // Collects the files of szFolder (with or without a trailing separator)
    // that match szMask; with recursion, sub-folders that match the mask are
    // collected the same way. nStopAt > 0 stops as soon as that many entries
    // have been collected (enough to know that a folder is not empty). The
    // listing stops silently at the first failure. Returns the number of
    // entries collected so far.
    int Collect(LPCSTR szFolder, LPCSTR szMask, cmListRecurse eRecurse, int nStopAt = 0);

    int GetCount() const { return static_cast<int>(m_entries.size()); }
    const cmListFileEntry& GetAt(int i) const { return m_entries[static_cast<std::size_t>(i)]; }

private:
    std::vector<cmListFileEntry> m_entries;
};
