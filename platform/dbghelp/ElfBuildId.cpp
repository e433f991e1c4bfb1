#include "platform/dbghelp/ElfBuildId.h"

#include "platform/dbghelp/OwnMemory.h"

#include <cstring>
#include <elf.h>

namespace platform {

namespace {

constexpr std::size_t kMaxProgramHeaders = 64;

bool ReadHeader(std::uintptr_t base, Elf64_Ehdr& header)
{
    return ReadOwnMemory(base, &header, sizeof header) && std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 &&
           header.e_ident[EI_CLASS] == ELFCLASS64 && header.e_ident[EI_DATA] == ELFDATA2LSB;
}

std::size_t Align(std::size_t n, std::size_t to) { return (n + to - 1) & ~(to - 1); }

// The build id among the notes of one segment.
std::size_t FindInNotes(const std::uint8_t* notes, std::size_t size, std::size_t alignment, std::uint8_t* id,
                        std::size_t capacity)
{
    std::size_t at = 0;
    while (at + sizeof(Elf64_Nhdr) <= size) {
        Elf64_Nhdr note;
        std::memcpy(&note, notes + at, sizeof note);
        const std::size_t name = at + sizeof note;
        const std::size_t desc = name + Align(note.n_namesz, alignment);
        const std::size_t next = desc + Align(note.n_descsz, alignment);
        if (note.n_namesz > size || note.n_descsz > size || next > size || next <= at)
            return 0;
        if (note.n_type == NT_GNU_BUILD_ID && note.n_namesz == 4 && std::memcmp(notes + name, "GNU", 4) == 0) {
            if (note.n_descsz == 0 || note.n_descsz > capacity)
                return 0;
            std::memcpy(id, notes + desc, note.n_descsz);
            return note.n_descsz;
        }
        at = next;
    }
    return 0;
}

}  // namespace

bool IsElfImage(std::uintptr_t base) noexcept
{
    Elf64_Ehdr header;
    return ReadHeader(base, header);
}

std::size_t ReadBuildId(std::uintptr_t base, std::uint8_t* id, std::size_t capacity, std::uint8_t* scratch,
                        std::size_t scratchSize) noexcept
{
    Elf64_Ehdr header;
    if (!ReadHeader(base, header) || header.e_phentsize != sizeof(Elf64_Phdr) || header.e_phnum == 0 ||
        header.e_phnum > kMaxProgramHeaders)
        return 0;
    Elf64_Phdr headers[kMaxProgramHeaders];
    const std::size_t count = header.e_phnum;
    if (!ReadOwnMemory(base + header.e_phoff, headers, count * sizeof(Elf64_Phdr)))
        return 0;
    // Where the image was put: the segment at file offset 0 is mapped at base.
    std::uintptr_t bias = 0;
    bool found = false;
    for (std::size_t i = 0; i < count && !found; ++i) {
        if (headers[i].p_type == PT_LOAD && headers[i].p_offset == 0) {
            const std::uintptr_t page = headers[i].p_align > 1 ? headers[i].p_align : 1;
            bias = base - (headers[i].p_vaddr & ~(page - 1));
            found = true;
        }
    }
    if (!found)
        return 0;
    for (std::size_t i = 0; i < count; ++i) {
        const Elf64_Phdr& segment = headers[i];
        if (segment.p_type != PT_NOTE || segment.p_filesz == 0 || segment.p_filesz > scratchSize)
            continue;
        if (!ReadOwnMemory(bias + segment.p_vaddr, scratch, segment.p_filesz))
            continue;
        const std::size_t alignment = segment.p_align == 8 ? 8 : 4;
        if (const std::size_t n = FindInNotes(scratch, segment.p_filesz, alignment, id, capacity))
            return n;
    }
    return 0;
}

}  // namespace platform
