// cmCrossModuleBlock<T>: one small record shared by all modules of a process
// (or of the machine) that each carry their own copy of this library. The
// record lives in a named file mapping whose name is made from a caller's
// prefix, T's decorated type name and the process id (0 for a machine-wide
// block): "<prefix>YYY<type>ZZZ<pid>". Every module derives the same name, so
// the first one creates the block and the others find it.
//
// T is a plain record whose last member is the 32-bit use count dwUseCount.
// The module that creates the block initialises the record and sets the use
// count to 0; every holder then adds one. The mapping is made for this user
// only (see platform/kernel32/SharedMemory.h). A holder that cannot open or create the
// block has no record (Get returns null); callers must cope with that.
//
// Holders are meant to live until the process ends; the destructor releases
// the view and handle for those (tests) that do not.
#pragma once

#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/ProcessIds.h"
#include "platform/kernel32/SharedMemory.h"
#include "platform/kernel32/WinError.h"
#include "platform/kernel32/WinTypes.h"

#include <atomic>
#include <cstddef>
#include <string>
#include <type_traits>
#include <typeinfo>

enum class cmCrossModuleScope { MachineWide, PerProcess };

template <class T>
class cmCrossModuleBlock {
    static_assert(std::is_trivially_copyable_v<T> && std::is_standard_layout_v<T>,
                  "a cross-module record is plain data");

public:
    // Opens or creates the block. When this call created it, init(record)
    // runs before the use count is set to 0 and then counted.
    template <class Init>
    cmCrossModuleBlock(LPCSTR szPrefix, cmCrossModuleScope eScope, Init init)
    {
        // Only padding may follow the use count.
        static_assert(sizeof(T) - (offsetof(T, dwUseCount) + sizeof(DWORD)) < alignof(T), "the use count ends the record");
        const std::string name = Name(szPrefix, eScope);
        m_hMapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, name.c_str());
        if (m_hMapping == nullptr) {
            m_hMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            static_cast<DWORD>(sizeof(T)), name.c_str());
            // Another module may have made it in the meantime; then it is only opened.
            m_bCreated = (m_hMapping != nullptr && GetLastError() != ERROR_ALREADY_EXISTS);
        }
        if (m_hMapping == nullptr)
            return;
        m_pRecord = static_cast<T*>(MapViewOfFile(m_hMapping, FILE_MAP_WRITE, 0, 0, 0));
        if (m_pRecord == nullptr)
            return;
        if (m_bCreated) {
            init(*m_pRecord);
            std::atomic_ref<DWORD>(m_pRecord->dwUseCount).store(0);
        }
        std::atomic_ref<DWORD>(m_pRecord->dwUseCount).fetch_add(1);
    }

    ~cmCrossModuleBlock()
    {
        if (m_pRecord != nullptr)
            UnmapViewOfFile(m_pRecord);
        if (m_hMapping != nullptr)
            CloseHandle(m_hMapping);
    }

    cmCrossModuleBlock(const cmCrossModuleBlock&) = delete;
    cmCrossModuleBlock& operator=(const cmCrossModuleBlock&) = delete;

    T* Get() const { return m_pRecord; }
    // Whether this holder made (and initialised) the block.
    bool WasCreated() const { return m_bCreated; }

    // "<prefix>YYY<decorated type name>ZZZ<process id, or 0 machine-wide>".
    static std::string Name(LPCSTR szPrefix, cmCrossModuleScope eScope)
    {
        const DWORD pid = (eScope == cmCrossModuleScope::PerProcess) ? GetCurrentProcessId() : 0;
        return std::string(szPrefix != nullptr ? szPrefix : "") + "YYY" + typeid(T).name() + "ZZZ" +
               std::to_string(pid);
    }

private:
    HANDLE m_hMapping = nullptr;
    T* m_pRecord = nullptr;
    bool m_bCreated = false;
};
