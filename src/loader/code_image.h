// The program image the disassembler works on: 64 KB of byte values and, per
// cell, whether it holds part of the program.
//
// For a HEX file a cell is part of the program exactly when a record wrote
// it, whatever its value (FF is also MOV R7,A, 00 also NOP). A task file is a
// plain image from 0000H with FFH in the cells nobody programmed; since the
// image cannot tell, a run of FFH counts as unprogrammed only when it is at
// least kUnprogrammedRun bytes long or reaches the end of the image.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelo::loader {

inline constexpr int kCodeSpace = 0x10000;
inline constexpr int kUnprogrammedRun = 16;

struct CodeImage {
    std::vector<uint8_t> value = std::vector<uint8_t>(kCodeSpace, 0xFF);
    std::vector<uint8_t> programmed = std::vector<uint8_t>(kCodeSpace, 0);

    // One past the highest programmed cell; 0 when nothing is programmed.
    int End() const;
    void Set(int address, uint8_t byte)
    {
        value[address] = byte;
        programmed[address] = 1;
    }
};

// The image of a task file's bytes (at most 64 KB; longer input is cut).
CodeImage CodeImageFromTask(std::string_view bytes);

}  // namespace zelo::loader
