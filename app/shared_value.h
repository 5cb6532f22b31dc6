// A value shared between threads: atomic, yet copyable so that whole records can be copied.
#ifndef HARMOLAB_APP_SHARED_VALUE_H
#define HARMOLAB_APP_SHARED_VALUE_H

#include <atomic>

template <typename T>
class Shared : public std::atomic<T> {
public:
    Shared(T value = T()) noexcept : std::atomic<T>(value) {}
    Shared(const Shared& other) noexcept : std::atomic<T>(other.load()) {}
    Shared& operator=(const Shared& other) noexcept {
        this->store(other.load());
        return *this;
    }
    using std::atomic<T>::operator=;
};

#endif
