// How "kalvento-cli rules" shows rules: a line of the list, every field of
// one rule as text or JSON, and the warnings about a rule that a user should
// hear after changing it. Rules are numbered from 1 in the order they are
// tried.
#pragma once

#include "app/rule_management.h"
#include "rules/rule_store.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <string>
#include <vector>

namespace kalvento::cli {

// number, type, patterns, template, schedule title, first numbering entry; tab-separated.
std::string rule_list_line(const RuleList& rules, std::size_t index);

// Every field, one "name: value" line each, as the exchange format names them.
std::string rule_details(const RuleList& rules, std::size_t index);

// Every field under its stored key name, with "number", "shadowedBy" and "warnings".
nlohmann::ordered_json rule_json(const RuleList& rules, std::size_t index);

// For people (UTF-8): the rule can never match (a rule before it has the same
// patterns), and each "@" of its template that is no macro.
std::vector<std::string> rule_warnings(const RuleList& rules, std::size_t index);

// Prints to standard error the warnings a change brings up: the "@" of the
// `changed` rules' templates that are no macro, and each rule that can never
// match named with the rule that keeps it from matching; with `hint`, how a
// changed rule that never matches is put first.
void warn_about_change(const RuleList& rules, const std::vector<std::size_t>& changed,
                       const std::vector<ShadowedRule>& shadowed, bool hint = true);

// A rule change that could not be made: says why on standard error and gives
// the exit code (2 refused, 75 the lock stayed held, 1 otherwise).
int refused_change(const RuleChange& change, const std::string& what);

}  // namespace kalvento::cli
