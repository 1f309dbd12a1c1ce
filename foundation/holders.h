#pragma once
// Reference-counted shared holders. Use counts are plain integers: holders of one object must
// not be copied or released from two threads at once.

namespace vemora {

template <class T>
struct SinglePtrPolicy {
    static void deallocate(T* p) { delete p; }
};

template <class T>
struct ArrayPtrPolicy {
    static void deallocate(T* p) { delete[] p; }
};

template <class T, class Policy = SinglePtrPolicy<T>>
class PointerHolder {
public:
    PointerHolder() = default;
    explicit PointerHolder(T* p) { take(p, true); }
    PointerHolder(const PointerHolder& o) { share(o); }
    PointerHolder& operator=(const PointerHolder& o)
    {
        if (this != &o) {
            dispose();
            share(o);
        }
        return *this;
    }
    ~PointerHolder() { dispose(); }

    // Takes the object with a new use count of 1, releasing what was held.
    void allocate(T* p, bool owns)
    {
        dispose();
        take(p, owns);
    }

    // Drops this holder's share; the last share destroys an owned object. The holder is left
    // empty, so a later dispose or the destructor cannot release the same share twice.
    void dispose()
    {
        // Detached first: the object's destructor may reach this very holder.
        long* count = useCount_;
        T* object = pointer_;
        const bool owned = owns_;
        pointer_ = nullptr;
        useCount_ = nullptr;
        owns_ = true;
        if (count && --*count == 0) {
            if (object && owned)
                Policy::deallocate(object);
            delete count;
        }
    }

    T* operator->() const { return pointer_; }
    T& operator*() const { return *pointer_; }
    T* get() const { return pointer_; }
    bool isNull() const { return pointer_ == nullptr; }
    bool isOwner() const { return owns_; }
    long getUseCount() const { return useCount_ ? *useCount_ : 0; }

private:
    void take(T* p, bool owns)
    {
        pointer_ = p;
        owns_ = owns;
        useCount_ = new long(1);
    }
    void share(const PointerHolder& o)
    {
        pointer_ = o.pointer_;
        owns_ = o.owns_;
        useCount_ = o.useCount_;
        if (useCount_)
            ++*useCount_;
    }

    T* pointer_ = nullptr;
    bool owns_ = true;
    long* useCount_ = nullptr;
};

// Shares a platform handle; Policy::release(handle) runs once, on the last release of a
// non-null handle.
template <class T, class Policy>
class ObjectHolder {
public:
    ObjectHolder() = default;
    explicit ObjectHolder(T handle) : handle_(handle), useCount_(new long(1)) {}
    ObjectHolder(const ObjectHolder& o) { share(o); }
    ObjectHolder& operator=(const ObjectHolder& o)
    {
        if (this != &o) {
            dispose();
            share(o);
        }
        return *this;
    }
    ~ObjectHolder() { dispose(); }

    void dispose()
    {
        if (useCount_ && --*useCount_ == 0) {
            if (handle_ != T())
                Policy::release(handle_);
            delete useCount_;
        }
        handle_ = T();
        useCount_ = nullptr;
    }

    T get() const { return handle_; }
    long getUseCount() const { return useCount_ ? *useCount_ : 0; }

private:
    void share(const ObjectHolder& o)
    {
        handle_ = o.handle_;
        useCount_ = o.useCount_;
        if (useCount_)
            ++*useCount_;
    }

    T handle_ = T();
    long* useCount_ = nullptr;
};

} // namespace vemora
