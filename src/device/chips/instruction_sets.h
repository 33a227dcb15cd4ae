#pragma once

#include "device/chips/chip_row.h"

// The three instruction encodings of the family (see each definition for its chips).
extern const InstructionSet kThreeByteS8252Instructions;
extern const InstructionSet kThreeByteS53Instructions;
extern const InstructionSet kFourByteS5xInstructions;
extern const InstructionSet kFourByteS8253Instructions;
