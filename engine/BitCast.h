#pragma once

#include <type_traits>

// std::bit_cast, which not every standard library the instrument is built with has yet (the web
// build's does not); the compilers all offer the builtin behind it.
template <typename To, typename From> constexpr To BitCast(const From& from) noexcept
{
    static_assert(sizeof(To) == sizeof(From) && std::is_trivially_copyable_v<To> &&
                  std::is_trivially_copyable_v<From>);
    return __builtin_bit_cast(To, from);
}
