// A validator for the part of JSON Schema (draft 2020-12) that docs/report-format.schema.json
// uses, so that the tests check the program's JSON against its schema on both builds without a
// network or a validator package: type, const, enum, minimum, properties, required,
// additionalProperties, items and "$ref" to "#/$defs/...". Any other keyword is an error, so the
// schema cannot outgrow what the tests check.
#pragma once

#include <nlohmann/json.hpp>

#include <map>
#include <string>
#include <vector>

namespace vellumo::test {

// Every way `document` breaks `schema`, each as "<JSON pointer>: <what>"; empty when it is valid.
[[nodiscard]] std::vector<std::string> SchemaErrors(const nlohmann::json& document,
                                                    const nlohmann::json& schema);

// docs/report-format.schema.json as the build found it.
[[nodiscard]] const nlohmann::json& ReportSchema();

// The "checks" of a report document: each check's status by its id.
[[nodiscard]] std::map<std::string, std::string> CheckStatuses(const nlohmann::json& document);

} // namespace vellumo::test
