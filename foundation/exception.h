#pragma once
// Error records of the system. Every ExceptionDebuggErrorID prints one console line when it is
// created, so a failure that passes through several layers leaves one line per layer,
// innermost first.
#include <list>
#include <string>

namespace vemora {

class ExceptionBase {};

class ExceptionDebuggErrorID : public ExceptionBase {
public:
    ExceptionDebuggErrorID(long id, const std::string& message);
    ExceptionDebuggErrorID(const ExceptionDebuggErrorID&) = default;
    ExceptionDebuggErrorID& operator=(const ExceptionDebuggErrorID&) = default;
    virtual ~ExceptionDebuggErrorID() = default;

    // Prints "Exception error: <message>  ID: <id>" and a newline to standard output.
    virtual void show_error_id() const;

    long getId() const { return id_; }
    const std::string& getMessage() const { return message_; }

private:
    std::string message_;
    long id_;
};

// Mixin that lets an object raise an error on itself: the record is kept in the object's
// error list and a copy of the object is thrown. T's copy constructor must pass the copy's own
// address, so copies start with an empty list and point at themselves.
template <class T, class E>
class ListerException {
public:
    explicit ListerException(T* self) : selfObject(self) {}
    ListerException(const ListerException&) = delete;
    ListerException& operator=(const ListerException&) = delete;
    virtual ~ListerException() { errorList.clear(); }

    const std::list<E>& getErrorList() const { return errorList; }

protected:
    [[noreturn]] void raise_error(long id, const std::string& message)
    {
        errorList.emplace_back(id, message);
        throw T(*selfObject);
    }

    T* selfObject;
    std::list<E> errorList;
};

} // namespace vemora
