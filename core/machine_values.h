// Copying per-user values into a family's machine key: the payload that carries them to the elevated
// copy of this program on its command line, and the writer that copy runs.
#pragma once

#include <optional>
#include <string>

#include "core/registry.h"
#include "core/stored_values.h"
#include "core/targets.h"

// The elevated copy's payload: entries "name.type.data" (name and data as lowercase hex, type as
// decimal) joined by "-". Decoding is strict: anything else, an empty list or a repeated name is refused.
std::string EncodeValues(const StoredValues& values);
std::optional<StoredValues> DecodeValues(const std::string& payload);

constexpr const char* kWriteMachineValuesOption = "--write-machine-values";
// The parameters the program is started with to copy the values: option, family, payload.
std::string MachineValuesParameters(GameFamily family, const StoredValues& values);
// A command line holds at most 32767 characters; leave room for the program's own path.
constexpr std::size_t kMaxParametersLength = 32000;

// Writes the values into the family's key (which must exist) and nothing else. Returns the number
// written, or -1 when the key cannot be opened or a write fails.
int WriteMachineValues(Registry& registry, GameFamily family, const StoredValues& values);
