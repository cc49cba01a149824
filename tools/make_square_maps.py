#!/usr/bin/env python3
"""Writes src/ecc/square_maps.h: the linear maps a -> a^(2^k) of the Itoh-Tsujii
chains' longest runs of squarings, as constexpr data. Row i of the map of 2^k is
x^(i 2^k) mod f, in 64-bit limbs, least significant first.

Computing these rows in a constant expression exceeds the step limits of clang
and MSVC, so they are data; tests/ecc recomputes every row with the library's
own multiply and compares.

    tools/make_square_maps.py > src/ecc/square_maps.h
"""

# (name, degree m, middle terms, k): f = x^m + x^k3 + x^k2 + x^k1 + 1
MAPS = [
    ("kSquare163By32", 163, (3, 6, 7), 32),
    ("kSquare163By64", 163, (3, 6, 7), 64),
]


def reduce(a, m, terms):
    f = (1 << m) | 1
    for t in terms:
        f |= 1 << t
    while a.bit_length() > m:
        a ^= f << (a.bit_length() - 1 - m)
    return a


def square(a, m, terms):
    spread = 0
    for i in range(a.bit_length()):
        if (a >> i) & 1:
            spread |= 1 << (2 * i)
    return reduce(spread, m, terms)


def rows(m, terms, k):
    out = []
    for i in range(m):
        v = 1 << i
        for _ in range(k):
            v = square(v, m, terms)
        out.append(v)
    return out


def main():
    print("// The linear maps a -> a^(2^k) of the inversion chains' longest runs of")
    print("// squarings (ecc/binary_field.h: SquarePowerMap). Written by")
    print("// tools/make_square_maps.py; tests/ecc recomputes every row. Data rather")
    print("// than a constant expression, which exceeds the step limits of some")
    print("// compilers.")
    print("#pragma once")
    print()
    print('#include "ecc/binary_field.h"')
    print()
    print("namespace otawrap {")
    for name, m, terms, k in MAPS:
        limbs = (m + 63) // 64
        k1, k2, k3 = terms
        print()
        print(f"// Rows x^(i 2^{k}) mod x^{m} + x^{k3} + x^{k2} + x^{k1} + 1, i = 0 .. {m - 1}.")
        print(f"inline constexpr SquarePowerMap<Pentanomial<{m}, {k1}, {k2}, {k3}>> {name} = {{{{")
        for v in rows(m, terms, k):
            words = ", ".join(f"0x{(v >> (64 * j)) & ((1 << 64) - 1):016X}u" for j in range(limbs))
            print(f"    {{{{{words}}}}},")
        print("}};")
    print()
    print("}  // namespace otawrap")


if __name__ == "__main__":
    main()
