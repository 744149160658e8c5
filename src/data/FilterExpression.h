#pragma once

#include "data/FieldDef.h"
#include "data/Table.h"

#include <memory>
#include <string_view>
#include <vector>

namespace corvane {

// A table filter, compiled against the table's fields: comparisons of a field
// (any letter case, optionally in [brackets]) with a single-quoted literal or a
// number using =, <>, <, >, <= or >=, joined with and, or, not and
// parentheses. Quotes inside a literal are doubled. A literal compared with a
// date-time field is read in the local date-time form (FormatLocalDateTime).
class FilterExpression {
public:
    // Raises EDatabaseError naming the fault for an invalid expression or an
    // unknown field; an empty expression lets every row through.
    static std::unique_ptr<FilterExpression> Parse(std::string_view text, const FieldDefs& defs);
    ~FilterExpression();

    bool Matches(const std::vector<Value>& row, const FilterOptions& options) const;

    struct Node;

private:
    explicit FilterExpression(std::unique_ptr<Node> root);
    std::unique_ptr<Node> root_;
};

} // namespace corvane
