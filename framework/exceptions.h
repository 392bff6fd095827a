#pragma once

#include <stdexcept>
#include <string>

namespace fw {

// Base of every exception that the framework raises on behalf of the system's code. Nothing in the
// system catches these: they end in the unhandled-exception service (application.h).
class RuntimeException : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Raised when a method is called on a Nil object (a Nil FolderItem, a Nil Picture, ...).
class NilObjectException : public RuntimeException
{
public:
    NilObjectException() : RuntimeException("NilObjectException") {}
};

// Raised by Dictionary::Value for a key that is not there.
class KeyNotFoundException : public RuntimeException
{
public:
    explicit KeyNotFoundException(const std::string &key) : RuntimeException("KeyNotFoundException: " + key)
    {
    }
};

// Raised when a value is read as a type that it does not hold (a text read as a FolderItem).
class TypeMismatchException : public RuntimeException
{
public:
    TypeMismatchException() : RuntimeException("TypeMismatchException") {}
};

// Raised for an array index outside the array.
class OutOfBoundsException : public RuntimeException
{
public:
    OutOfBoundsException() : RuntimeException("OutOfBoundsException") {}
};

} // namespace fw
