// The parts of the C++ library that the program would otherwise link from libstdc++, built
// here with the program's own code generation. The 32-bit program runs on the Pentium
// class of processors, while the library comes compiled for the Pentium Pro (conditional
// moves); and the program throws and catches nothing, so the library's throwing allocator
// would only bring the exception runtime along.
#include <cstdlib>
#include <new>
#include <string>

// Running out of memory ends the program at once, as the library's throw helpers do in the
// builds that ship.
void* operator new(std::size_t cb)
{
    void* p = std::malloc(cb != 0 ? cb : 1);
    if (p == nullptr)
        std::abort();
    return p;
}

void* operator new[](std::size_t cb)
{
    return operator new(cb);
}

void* operator new(std::size_t cb, const std::nothrow_t&) noexcept
{
    return std::malloc(cb != 0 ? cb : 1);
}

void* operator new[](std::size_t cb, const std::nothrow_t&) noexcept
{
    return std::malloc(cb != 0 ? cb : 1);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

#if defined(__GLIBCXX__)
// libstdc++ declares its string class instantiated in the library: instantiated here, the
// members that the program uses come from this file instead.
template class std::basic_string<char>;
#endif
