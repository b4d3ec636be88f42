// Intrusive, atomic reference counting for objects shared between threads.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <utility>

template <typename T> class CRefThreadSafeBase {
public:
    void AddRef() const { refCount.fetch_add(1, std::memory_order_relaxed); }

    // The last release deletes the object through T, whose destructor is virtual where needed.
    void Release() const {
        // acq_rel: the deleting thread must see every write other holders made before releasing.
        if (refCount.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            delete static_cast<const T*>(this);
        }
    }

    std::int32_t RefCount() const { return refCount.load(std::memory_order_acquire); }

protected:
    CRefThreadSafeBase() = default;
    // A copy is a new object: it starts without references.
    CRefThreadSafeBase(const CRefThreadSafeBase&) : refCount(0) {}
    CRefThreadSafeBase& operator=(const CRefThreadSafeBase&) { return *this; }
    ~CRefThreadSafeBase() = default;

private:
    mutable std::atomic<std::int32_t> refCount{0};
};

template <typename T> class CRefPtr {
public:
    CRefPtr() noexcept = default;
    CRefPtr(std::nullptr_t) noexcept {} // NOLINT(google-explicit-constructor)
    CRefPtr(T* object)
        : ptr(object) // NOLINT(google-explicit-constructor)
    {
        if (ptr) {
            ptr->AddRef();
        }
    }
    CRefPtr(const CRefPtr& other) : CRefPtr(other.ptr) {}
    template <typename U>
    CRefPtr(const CRefPtr<U>& other)
        : CRefPtr(other.get()) // NOLINT(google-explicit-constructor)
    {}
    CRefPtr(CRefPtr&& other) noexcept : ptr(std::exchange(other.ptr, nullptr)) {}
    ~CRefPtr() {
        if (ptr) {
            ptr->Release();
        }
    }

    CRefPtr& operator=(const CRefPtr& other) { return Assign(other.ptr); }
    CRefPtr& operator=(T* object) { return Assign(object); }
    CRefPtr& operator=(CRefPtr&& other) noexcept {
        if (this != &other) {
            T* old = std::exchange(ptr, std::exchange(other.ptr, nullptr));
            if (old) {
                old->Release();
            }
        }
        return *this;
    }

    T* get() const { return ptr; }
    T* operator->() const { return ptr; }
    T& operator*() const { return *ptr; }
    explicit operator bool() const { return ptr != nullptr; }

    friend bool operator==(const CRefPtr& a, const CRefPtr& b) { return a.ptr == b.ptr; }
    friend bool operator==(const CRefPtr& a, const T* b) { return a.ptr == b; }

private:
    // The new object gains its reference before the old one loses its own: releasing the old
    // object may destroy the last other holder of the new one.
    CRefPtr& Assign(T* object) {
        if (object == ptr) {
            return *this;
        }
        T* old = ptr;
        ptr = object;
        if (ptr) {
            ptr->AddRef();
        }
        if (old) {
            old->Release();
        }
        return *this;
    }

    T* ptr = nullptr;
};
