// Random sequences of reads, writes, copies and bank switches on the
// simulated chip's state, checking that every cell stays a valid bit cell and
// the register bank stays consistent with PSW.
#include <cstdint>

#include "core/cpu_state.h"
#include "cpu_invariants.h"

using namespace zelo::core;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    CpuState cpu(static_cast<ChipModel>(data[0] % 3));
    for (size_t i = 1; i + 3 < size; i += 4) {
        const uint8_t op = data[i], a = data[i + 1], b = data[i + 2], v = data[i + 3];
        switch (op % 12) {
            case 0: cpu.ReadRamByte(a); break;
            case 1: cpu.StoreByte(v, a); break;
            case 2: cpu.MoveByte(a, b); break;
            case 3: cpu.MoveByte(static_cast<unsigned>(a << 8 | b), v); break;
            case 4: cpu.MoveExternal(a, static_cast<unsigned>(b << 8 | v), 1); break;
            case 5: cpu.MoveExternal(static_cast<unsigned>(b << 8 | v), a, 2); break;
            case 6: cpu.WriteIndirectByte(v, a); break;
            case 7: cpu.ReadIndirectByte(a); break;
            case 8: cpu.WriteBit("01x-"[v % 4], BitAddressOfNumber(a)); cpu.RemapRegisterBank(); break;
            case 9: cpu.CheckStackPointer(); break;
            case 10: cpu.ReadDptr(v & 1); cpu.ReadRegister(v & 7); break;
            case 11: {
                const char text[2] = {static_cast<char>(a), static_cast<char>(b)};
                cpu.StoreByte(std::string_view(text, 2), std::string_view(text, v % 3 == 0 ? 2 : 0));
                break;
            }
        }
        cpu.TakeStopRequest();
        cpu.RemapRegisterBank();
    }
    CheckCells(cpu);
    return 0;
}
