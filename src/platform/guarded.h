#pragma once

// Runs work; an exception it lets out (a library's, or memory running out)
// becomes its fault in error, and false: no exception leaves a model's load
// or export unseen.
#include <exception>
#include <new>
#include <string>

template <typename Work>
bool Guarded(Work&& work, std::string& error)
{
    try {
        return work();
    } catch (const std::bad_alloc&) {
        error = "there is not memory enough for it";
    } catch (const std::exception& fault) {
        error = std::string("it failed: ") + fault.what();
    } catch (...) {
        error = "it failed for a reason no library gave";
    }
    return false;
}
