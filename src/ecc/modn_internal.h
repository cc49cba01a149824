// The wrap corrections behind modAdd and modSub, open to the tests. Nothing
// else in the program calls them.
#pragma once

#include "ecc/modn.h"

namespace otawrap {

// x held the wanted residue plus 2^176 (a subtraction wrapped): x becomes a
// loose representative of that residue. In place.
void modFixBorrow(ModNumber& x);
// x held the wanted residue minus 2^176 (an addition wrapped): x becomes a
// loose representative of that residue. In place.
void modFixCarry(ModNumber& x);

}  // namespace otawrap
