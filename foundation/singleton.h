#pragma once
// Lazily created singletons. Constructing a dxSingleton is taking a guard on the instance: the
// first guard creates it and marks it undead, so it lives on until destory() is called. The
// integer n tells otherwise equal instantiations apart. Not locked: create singletons on the
// main thread before background tasks read them.

namespace vemora {

template <class T, int n, bool Unused = false>
class dxSingleton {
public:
    dxSingleton()
    {
        ++counter_;
        if (!pValue_) {
            pValue_ = new T();
            undead_ = true;
        }
    }
    ~dxSingleton()
    {
        if (--counter_ == 0 && !undead_)
            destory();
    }
    dxSingleton(const dxSingleton&) = delete;
    dxSingleton& operator=(const dxSingleton&) = delete;

    // The instance, or null when none was created; neither call creates one.
    static T* ptr() { return pValue_; }
    static T& ref() { return *pValue_; }

    static void destory()
    {
        delete pValue_;
        pValue_ = nullptr;
        undead_ = false;
    }

    inline static T* pValue_ = nullptr;
    inline static long counter_ = 0;
    inline static bool undead_ = false;
};

} // namespace vemora
