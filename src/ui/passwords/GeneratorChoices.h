#pragma once

#include "vault/PasswordGenerator.h"

class AppContext;

// The generator's last choices, kept in the settings store; what is missing or
// out of range reads as the default.
namespace GeneratorChoices {

GeneratorOptions read(AppContext &context);
void write(AppContext &context, const GeneratorOptions &options);

} // namespace GeneratorChoices
