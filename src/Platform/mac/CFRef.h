// Ownership of Core Foundation objects: one retained reference per holder,
// released when the holder goes. `adopt` takes over a reference that a Create
// or Copy call returned; `retain` adds one to a reference the caller does not
// own (a Get call's result, a value inside an array).
//
// The retain and release functions are a parameter, so the ownership rules are
// exercised without Core Foundation; on macOS `CFRef<T>` uses CFRetain and
// CFRelease.
#pragma once

#include <utility>

#if defined(__APPLE__)
#include <CoreFoundation/CoreFoundation.h>
#endif

namespace Trayvane {

template <typename T, typename Traits>
class BasicCFRef
{
public:
    BasicCFRef() = default;
    ~BasicCFRef() { reset(); }

    /// Takes over a reference the caller owns (null stays empty).
    [[nodiscard]] static BasicCFRef adopt(T object)
    {
        BasicCFRef ref;
        ref.m_object = object;
        return ref;
    }
    /// Holds a reference of its own to an object the caller does not own.
    [[nodiscard]] static BasicCFRef retain(T object)
    {
        if (object)
            Traits::retain(object);
        return adopt(object);
    }

    BasicCFRef(const BasicCFRef &other) : m_object(other.m_object)
    {
        if (m_object)
            Traits::retain(m_object);
    }
    BasicCFRef(BasicCFRef &&other) noexcept : m_object(std::exchange(other.m_object, T{})) {}
    BasicCFRef &operator=(const BasicCFRef &other)
    {
        BasicCFRef copy(other);
        swap(copy);
        return *this;
    }
    BasicCFRef &operator=(BasicCFRef &&other) noexcept
    {
        BasicCFRef moved(std::move(other));
        swap(moved);
        return *this;
    }

    void reset()
    {
        if (T object = std::exchange(m_object, T{}))
            Traits::release(object);
    }
    void swap(BasicCFRef &other) noexcept { std::swap(m_object, other.m_object); }

    T get() const { return m_object; }
    explicit operator bool() const { return m_object != T{}; }

private:
    T m_object{};
};

#if defined(__APPLE__)
struct CoreFoundationRetain
{
    static void retain(CFTypeRef object) { CFRetain(object); }
    static void release(CFTypeRef object) { CFRelease(object); }
};

template <typename T>
using CFRef = BasicCFRef<T, CoreFoundationRetain>;
#endif

} // namespace Trayvane
