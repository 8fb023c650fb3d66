// Fields of packed records cannot be bound to references (they may lie at any address), and the
// test macros take their arguments by reference: valueOf hands them a copy.
#pragma once

template <class T> T valueOf(T v)
{
    return v;
}
