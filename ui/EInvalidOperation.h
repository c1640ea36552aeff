// Raised when a property is set outside its allowed range; the object keeps its previous state.
#pragma once

#include <stdexcept>
#include <string>

namespace ui {

class EInvalidOperation : public std::runtime_error {
public:
    explicit EInvalidOperation(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace ui
