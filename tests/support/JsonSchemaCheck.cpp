// The JSON Schema subset validator and the report format's schema built into the tests.
#include "support/JsonSchemaCheck.h"

#include "ReportSchema.h"

#include <algorithm>
#include <set>

namespace vellumo::test {
namespace {

using Json = nlohmann::json;

// Keywords that only describe: they constrain nothing.
const std::set<std::string> kAnnotations = {"$schema", "$id", "title", "description", "$defs"};

bool HasType(const Json& value, const std::string& type) {
    if (type == "object")
        return value.is_object();
    if (type == "array")
        return value.is_array();
    if (type == "string")
        return value.is_string();
    if (type == "integer")
        return value.is_number_integer();
    if (type == "number")
        return value.is_number();
    if (type == "boolean")
        return value.is_boolean();
    return type == "null" && value.is_null();
}

class Validator {
public:
    explicit Validator(const Json& root) : root_(root) {}

    void Check(const Json& value, const Json& schema, const std::string& where) {
        for (const auto& [keyword, rule] : schema.items()) {
            if (kAnnotations.contains(keyword))
                continue;
            if (keyword == "$ref")
                CheckRef(value, rule, where);
            else if (keyword == "type")
                CheckType(value, rule, where);
            else if (keyword == "const" && value != rule)
                Fail(where, "is not " + rule.dump());
            else if (keyword == "enum" && std::find(rule.begin(), rule.end(), value) == rule.end())
                Fail(where, value.dump() + " is not one of " + rule.dump());
            else if (keyword == "minimum" && value.is_number() &&
                     value.get<double>() < rule.get<double>())
                Fail(where, "is below " + rule.dump());
            else if (keyword == "required" && value.is_object())
                CheckRequired(value, rule, where);
            else if (keyword == "properties" && value.is_object())
                CheckProperties(value, rule, where);
            else if (keyword == "additionalProperties" && value.is_object())
                CheckAdditional(value, schema, rule, where);
            else if (keyword == "items" && value.is_array())
                for (size_t i = 0; i < value.size(); ++i)
                    Check(value[i], rule, where + "/" + std::to_string(i));
            else if (!std::set<std::string>{"const", "enum", "minimum", "required", "properties",
                                            "additionalProperties", "items"}
                          .contains(keyword))
                Fail(where, "the schema uses \"" + keyword + "\", which this validator lacks");
        }
    }

    std::vector<std::string> errors;

private:
    void Fail(const std::string& where, const std::string& what) {
        errors.push_back((where.empty() ? "/" : where) + ": " + what);
    }

    void CheckRef(const Json& value, const Json& rule, const std::string& where) {
        const std::string prefix = "#/$defs/";
        const std::string ref = rule.get<std::string>();
        if (!ref.starts_with(prefix) || !root_["$defs"].contains(ref.substr(prefix.size())))
            return Fail(where, "unresolved $ref " + ref);
        Check(value, root_["$defs"][ref.substr(prefix.size())], where);
    }

    void CheckType(const Json& value, const Json& rule, const std::string& where) {
        const Json types = rule.is_array() ? rule : Json::array({rule});
        if (std::none_of(types.begin(), types.end(),
                         [&](const Json& type) { return HasType(value, type.get<std::string>()); }))
            Fail(where, "is not of type " + rule.dump());
    }

    void CheckRequired(const Json& value, const Json& rule, const std::string& where) {
        for (const Json& name : rule)
            if (!value.contains(name.get<std::string>()))
                Fail(where, "lacks \"" + name.get<std::string>() + "\"");
    }

    void CheckProperties(const Json& value, const Json& rule, const std::string& where) {
        for (const auto& [name, schema] : rule.items())
            if (value.contains(name))
                Check(value[name], schema, where + "/" + name);
    }

    void CheckAdditional(const Json& value, const Json& schema, const Json& rule,
                         const std::string& where) {
        const Json known = schema.value("properties", Json::object());
        for (const auto& [name, member] : value.items()) {
            if (known.contains(name))
                continue;
            if (rule.is_boolean() && !rule.get<bool>())
                Fail(where, "has the unknown member \"" + name + "\"");
            else if (rule.is_object())
                Check(member, rule, where + "/" + name);
        }
    }

    const Json& root_;
};

} // namespace

std::vector<std::string> SchemaErrors(const Json& document, const Json& schema) {
    Validator validator(schema);
    validator.Check(document, schema, "");
    return validator.errors;
}

const Json& ReportSchema() {
    static const Json schema = Json::parse(kReportSchemaText);
    return schema;
}

std::map<std::string, std::string> CheckStatuses(const Json& document) {
    std::map<std::string, std::string> statuses;
    for (const Json& check : document.value("checks", Json::array()))
        statuses[check["id"].get<std::string>()] = check["status"].get<std::string>();
    return statuses;
}

} // namespace vellumo::test
