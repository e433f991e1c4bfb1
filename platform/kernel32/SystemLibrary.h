// SystemLibrary: a library of the system that the platform loads the first
// time one of its functions is needed, with the functions it calls resolved
// by name. A run that never needs it never loads it, nor the libraries it
// brings. One object per library and process, loaded until the process ends.
//
//   class Libfoo : public SystemLibrary<Libfoo> {
//   public:
//       decltype(&::foo_open) open = nullptr;
//   private:
//       friend SystemLibrary<Libfoo>;
//       Libfoo() { Load("libfoo.so.1", Entry(open, "foo_open")); }
//   };
//   const Libfoo& foo = Libfoo::Get();
//   if (foo.Loaded()) foo.open(...);
#pragma once

#include "platform/kernel32/SharedModule.h"

namespace platform {

template <class Library>
class SystemLibrary {
public:
    static const Library& Get()
    {
        static const Library library;
        return library;
    }

    // Whether the library was loaded and every function found.
    bool Loaded() const { return m_loaded; }

protected:
    template <class Function>
    struct EntryName {
        Function& entry;
        const char* name;
    };
    template <class Function>
    static EntryName<Function> Entry(Function& entry, const char* name)
    {
        return {entry, name};
    }

    // Opens file and points each entry at the function of its name.
    template <class... Functions>
    void Load(const char* file, EntryName<Functions>... entries)
    {
        m_loaded = m_library.Open(file) && (m_library.Resolve(entries.entry, entries.name) && ...);
    }

private:
    SharedModule m_library;
    bool m_loaded = false;
};

}  // namespace platform
