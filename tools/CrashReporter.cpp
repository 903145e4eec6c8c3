// notara-crash: started by the crash handler of a dying process, it reads
// the crash record from its standard input, attaches to the process and
// appends the report to the file named by its argument: the time, the
// signal, the fault address in its module and section, the registers, the
// call stack with functions, source files and lines, the parameters and
// locals of each frame, and the global variables of the executable.

#include <cxxabi.h>
#include <dwarf.h>
#include <elfutils/libdw.h>
#include <elfutils/libdwfl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "foundation/CrashData.h"
#include "foundation/CrashReport.h"

namespace {

constexpr int kMaxFrames = 64;
constexpr int kMaxGlobals = 300;
constexpr size_t kMaxValueBytes = 8;
constexpr size_t kTextPreview = 31;

struct REPORTER {
    FILE* out = nullptr;
    Dwfl* dwfl = nullptr;
    CRASH_DATA data;
    std::vector<Dwarf_Addr> frames;  // program counters, the faulting frame first
    bool faultSeen = false;
};

// The module's file: its name as the process maps it.
const char* ModuleFile(Dwfl_Module* module) {
    const char* name = module != nullptr ? dwfl_module_info(module, nullptr, nullptr, nullptr,
                                                            nullptr, nullptr, nullptr, nullptr)
                                         : nullptr;
    return name != nullptr ? name : "";
}

// A function's name as its source spells it.
std::string Demangled(const char* symbol) {
    int status = 0;
    char* plain = abi::__cxa_demangle(symbol, nullptr, nullptr, &status);
    std::string name = status == 0 && plain != nullptr ? plain : symbol;
    std::free(plain);
    return name;
}

bool ReadRecord(CRASH_DATA& data) {
    size_t got = 0;
    auto* bytes = reinterpret_cast<char*>(&data);
    while (got < sizeof data) {
        const ssize_t n = read(STDIN_FILENO, bytes + got, sizeof data - got);
        if (n <= 0) {
            return false;
        }
        got += static_cast<size_t>(n);
    }
    return data.magic == CRASH_DATA::kMagic;
}

bool ReadMemory(pid_t pid, Dwarf_Addr address, void* target, size_t size) {
    iovec local = {target, size};
    iovec remote = {reinterpret_cast<void*>(address), size};
    return process_vm_readv(pid, &local, 1, &remote, 1, 0) == static_cast<ssize_t>(size);
}

void WriteHeader(REPORTER& r) {
    const CRASH_NAME name = GetCrashName(r.data.signal, r.data.code);
    char when[128];
    const time_t time = static_cast<time_t>(r.data.time);
    tm local{};
    localtime_r(&time, &local);
    std::strftime(when, sizeof when, "%a, %b %d, %Y, %I:%M:%S %p", &local);
    std::fprintf(r.out, "=====================================================\n%s\n", when);
    std::fprintf(r.out, "%s%s\n", CCrashReport::kVersionLabel, r.data.version);
    if (r.data.profile[0] != '\0') {
        std::fprintf(r.out, "%s%s\n", CCrashReport::kProfileLabel, r.data.profile);
    }
    std::fprintf(r.out, "Exception code: %08X %s\n%s\n", name.code, name.name, name.description);
    if (r.data.sender != 0) {
        std::fprintf(r.out, "%s%d with kill: no fault of the program\n", CCrashReport::kSenderLabel,
                     r.data.sender);
    }
    if (r.data.exception[0] != '\0') {
        std::fprintf(r.out, "Uncaught exception: %s\n", r.data.exception);
    }
}

void WriteFaultAddress(REPORTER& r) {
    Dwarf_Addr address = r.data.address;
    Dwfl_Module* module = dwfl_addrmodule(r.dwfl, address);
    const char* file = ModuleFile(module);
    int section = 0;
    if (module != nullptr) {
        Dwarf_Addr bias = 0;
        if (Elf_Scn* scn = dwfl_module_address_section(module, &address, &bias)) {
            section = static_cast<int>(elf_ndxscn(scn));
        }
    }
    std::fprintf(r.out, "Fault address:  %016llX %02X:%016llX %s\n",
                 static_cast<unsigned long long>(r.data.address), section,
                 static_cast<unsigned long long>(address), file != nullptr ? file : "");
}

void WriteRegisters(REPORTER& r) {
#if defined(__x86_64__)
    if (!r.data.hasRegisters) {
        return;
    }
    // The order of the context's general registers.
    static const char* const kNames[] = {"R8",  "R9",  "R10", "R11", "R12", "R13",
                                         "R14", "R15", "RDI", "RSI", "RBP", "RBX",
                                         "RDX", "RAX", "RCX", "RSP", "RIP", "EFL"};
    const uint64_t* g = r.data.registers;
    auto reg = [&](const char* wanted) {
        for (size_t i = 0; i < sizeof kNames / sizeof kNames[0]; ++i) {
            if (std::strcmp(kNames[i], wanted) == 0) {
                return static_cast<unsigned long long>(g[i]);
            }
        }
        return 0ULL;
    };
    std::fprintf(r.out, "\nRegisters:\n");
    std::fprintf(r.out, "RAX:%016llX  RBX:%016llX  RCX:%016llX  RDX:%016llX\n", reg("RAX"),
                 reg("RBX"), reg("RCX"), reg("RDX"));
    std::fprintf(r.out, "RSI:%016llX  RDI:%016llX  R8:%016llX  R9:%016llX\n", reg("RSI"),
                 reg("RDI"), reg("R8"), reg("R9"));
    std::fprintf(r.out, "R10:%016llX  R11:%016llX  R12:%016llX  R13:%016llX\n", reg("R10"),
                 reg("R11"), reg("R12"), reg("R13"));
    std::fprintf(r.out, "R14:%016llX  R15:%016llX\n", reg("R14"), reg("R15"));
    std::fprintf(r.out, "RIP:%016llX\n", reg("RIP"));
    std::fprintf(r.out, "RSP:%016llX  RBP:%016llX\n", reg("RSP"), reg("RBP"));
    std::fprintf(r.out, "Flags:%08llX\n", reg("EFL"));
#endif
}

// Keeps the frames from the faulting one on: the handler's own frames and
// the signal trampoline come first in the walk.
int OnFrame(Dwfl_Frame* frame, void* arg) {
    auto& r = *static_cast<REPORTER*>(arg);
    Dwarf_Addr pc = 0;
    bool activation = false;
    if (!dwfl_frame_pc(frame, &pc, &activation)) {
        return DWARF_CB_ABORT;
    }
    const Dwarf_Addr lookup = activation ? pc : pc - 1;
    const Dwarf_Addr faultPc = r.data.hasRegisters ? r.data.registers[16] : 0;
    if (!r.faultSeen && (faultPc == 0 || pc == faultPc)) {
        r.faultSeen = true;
        r.frames.clear();
    }
    r.frames.push_back(lookup);
    return static_cast<int>(r.frames.size()) < kMaxFrames ? DWARF_CB_OK : DWARF_CB_ABORT;
}

std::string TypeName(Dwarf_Die* die) {
    Dwarf_Attribute attribute;
    Dwarf_Die type;
    if (dwarf_attr_integrate(die, DW_AT_type, &attribute) == nullptr ||
        dwarf_formref_die(&attribute, &type) == nullptr) {
        return "void";
    }
    const char* name = dwarf_diename(&type);
    switch (dwarf_tag(&type)) {
        case DW_TAG_pointer_type:
            return TypeName(&type) + "*";
        case DW_TAG_reference_type:
            return TypeName(&type) + "&";
        case DW_TAG_array_type:
            return TypeName(&type) + "[]";
        case DW_TAG_const_type:
            return "const " + TypeName(&type);
        case DW_TAG_volatile_type:
        case DW_TAG_typedef:
            return name != nullptr ? name : TypeName(&type);
        default:
            return name != nullptr ? name : "?";
    }
}

void WriteVariablesOf(REPORTER& r, Dwarf_Die* scope) {
    Dwarf_Die child;
    if (dwarf_child(scope, &child) != 0) {
        return;
    }
    do {
        const int tag = dwarf_tag(&child);
        if (tag != DW_TAG_formal_parameter && tag != DW_TAG_variable) {
            continue;
        }
        const char* name = dwarf_diename(&child);
        if (name == nullptr) {
            continue;
        }
        std::fprintf(r.out, "\t%s '%s' %s\n",
                     tag == DW_TAG_formal_parameter ? "Parameter" : "Local", name,
                     TypeName(&child).c_str());
    } while (dwarf_siblingof(&child, &child) == 0);
}

void WriteFrame(REPORTER& r, Dwarf_Addr pc, bool withVariables) {
    Dwfl_Module* module = dwfl_addrmodule(r.dwfl, pc);
    const char* symbol = module != nullptr ? dwfl_module_addrname(module, pc) : nullptr;
    std::fprintf(r.out, "%016llX  ", static_cast<unsigned long long>(pc));
    if (symbol != nullptr) {
        GElf_Off offset = 0;
        GElf_Sym sym;
        dwfl_module_addrinfo(module, pc, &offset, &sym, nullptr, nullptr, nullptr);
        std::fprintf(r.out, "%s+%llX", Demangled(symbol).c_str(),
                     static_cast<unsigned long long>(offset));
    } else {
        std::fprintf(r.out, "?? %s", ModuleFile(module));
    }
    if (Dwfl_Line* line = module != nullptr ? dwfl_module_getsrc(module, pc) : nullptr) {
        int lineNumber = 0;
        const char* source = dwfl_lineinfo(line, nullptr, &lineNumber, nullptr, nullptr, nullptr);
        if (source != nullptr) {
            std::fprintf(r.out, "  %s line %d", source, lineNumber);
        }
    }
    std::fprintf(r.out, "\n");
    if (!withVariables || module == nullptr) {
        return;
    }
    Dwarf_Addr bias = 0;
    Dwarf_Die* cu = dwfl_module_addrdie(module, pc, &bias);
    Dwarf_Die* scopes = nullptr;
    const int count = cu != nullptr ? dwarf_getscopes(cu, pc - bias, &scopes) : 0;
    for (int i = 0; i < count; ++i) {
        const int tag = dwarf_tag(&scopes[i]);
        if (tag == DW_TAG_compile_unit) {
            break;
        }
        WriteVariablesOf(r, &scopes[i]);
        if (tag == DW_TAG_subprogram) {
            break;  // the function's own scope ends the frame
        }
    }
    free(scopes);
    std::fprintf(r.out, "\n");
}

void WriteStack(REPORTER& r, bool withVariables) {
    for (Dwarf_Addr pc : r.frames) {
        WriteFrame(r, pc, withVariables);
    }
}

// A global of the executable at a fixed address, with its value when it is
// small enough to show.
void WriteGlobal(REPORTER& r, Dwarf_Die* die, Dwarf_Addr bias) {
    Dwarf_Attribute attribute;
    Dwarf_Op* expression = nullptr;
    size_t length = 0;
    const char* name = dwarf_diename(die);
    if (name == nullptr || dwarf_attr(die, DW_AT_location, &attribute) == nullptr ||
        dwarf_getlocation(&attribute, &expression, &length) != 0 || length != 1 ||
        expression[0].atom != DW_OP_addr) {
        return;
    }
    const Dwarf_Addr address = expression[0].number + bias;
    std::fprintf(r.out, "\tGlobal '%s' %s", name, TypeName(die).c_str());
    Dwarf_Die type;
    Dwarf_Word size = 0;
    if (dwarf_attr_integrate(die, DW_AT_type, &attribute) != nullptr &&
        dwarf_formref_die(&attribute, &type) != nullptr && dwarf_peel_type(&type, &type) == 0 &&
        dwarf_aggregate_size(&type, &size) == 0 && size > 0 && size <= kMaxValueBytes) {
        uint64_t value = 0;
        if (ReadMemory(r.data.pid, address, &value, size)) {
            std::fprintf(r.out, " = %llX", static_cast<unsigned long long>(value));
            if (dwarf_tag(&type) == DW_TAG_pointer_type && value != 0) {
                char text[kTextPreview + 1] = {};
                if (ReadMemory(r.data.pid, value, text, kTextPreview)) {
                    bool printable = true;
                    for (size_t i = 0; i < kTextPreview && text[i] != '\0'; ++i) {
                        printable = printable && text[i] >= ' ' && text[i] < 0x7F;
                    }
                    if (printable && text[0] != '\0') {
                        std::fprintf(r.out, " \"%s\"", text);
                    }
                }
            }
        }
    }
    std::fprintf(r.out, "\n");
}

int OnModuleGlobals(Dwfl_Module* module, void**, const char*, Dwarf_Addr, void* arg) {
    auto& r = *static_cast<REPORTER*>(arg);
    const char* file = ModuleFile(module);
    char exe[4096] = {};
    const std::string link = "/proc/" + std::to_string(r.data.pid) + "/exe";
    if (readlink(link.c_str(), exe, sizeof exe - 1) < 0 || std::strcmp(file, exe) != 0) {
        return DWARF_CB_OK;  // only the program's own globals
    }
    int written = 0;
    Dwarf_Addr bias = 0;
    for (Dwarf_Die* cu = dwfl_module_nextcu(module, nullptr, &bias); cu != nullptr;
         cu = dwfl_module_nextcu(module, cu, &bias)) {
        Dwarf_Die child;
        if (dwarf_child(cu, &child) != 0) {
            continue;
        }
        do {
            if (dwarf_tag(&child) == DW_TAG_variable && written < kMaxGlobals) {
                WriteGlobal(r, &child, bias);
                ++written;
            }
        } while (dwarf_siblingof(&child, &child) == 0);
    }
    return DWARF_CB_OK;
}

}  // namespace

int main(int argc, char** argv) {
    REPORTER r;
    if (argc < 2 || !ReadRecord(r.data)) {
        std::fprintf(stderr, "notara-crash: Can't read the crash record\n");
        return 1;
    }
    r.out = std::fopen(argv[1], "a");
    if (r.out == nullptr) {
        std::fprintf(stderr, "notara-crash: Can't open %s\n", argv[1]);
        return 1;
    }
    static char* debugInfoPath = nullptr;
    const Dwfl_Callbacks callbacks = {dwfl_linux_proc_find_elf, dwfl_standard_find_debuginfo,
                                      nullptr, &debugInfoPath};
    r.dwfl = dwfl_begin(&callbacks);
    WriteHeader(r);
    const bool reported = r.dwfl != nullptr && dwfl_linux_proc_report(r.dwfl, r.data.pid) == 0 &&
                          dwfl_report_end(r.dwfl, nullptr, nullptr) == 0;
    if (reported) {
        WriteFaultAddress(r);
    }
    WriteRegisters(r);
    if (!reported || dwfl_linux_proc_attach(r.dwfl, r.data.pid, false) != 0) {
        std::fprintf(r.out, "\n(no call stack: %s)\n", dwfl_errmsg(-1));
        std::fclose(r.out);
        return 0;
    }
    dwfl_getthread_frames(r.dwfl, r.data.tid, OnFrame, &r);
    std::fprintf(r.out, "\nCall stack:\nAddress           Function            SourceFile\n");
    WriteStack(r, false);
    std::fprintf(r.out, "\n-----------\nLocal Variables And Parameters\n");
    WriteStack(r, true);
    std::fprintf(r.out, "========================\nGlobal Variables\n");
    dwfl_getmodules(r.dwfl, OnModuleGlobals, &r, 0);
    std::fprintf(r.out, "\n");
    dwfl_end(r.dwfl);
    std::fclose(r.out);
    return 0;
}
