#include "data/FilterExpression.h"

#include "data/DataErrors.h"

#include <cctype>

namespace corvane {

enum class CompareOp { Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual };
enum class NodeKind { And, Or, Not, Compare };

struct FilterExpression::Node {
    NodeKind kind = NodeKind::Compare;
    std::unique_ptr<Node> left, right;
    int field = -1;
    FieldType type = FieldType::String;
    CompareOp op = CompareOp::Equal;
    Value literal;
    std::string text; // the literal as written, for text comparisons
};

namespace {

using Node = FilterExpression::Node;

class Parser {
public:
    Parser(std::string_view text, const FieldDefs& defs) : text_(text), defs_(defs) {}

    std::unique_ptr<Node> ParseAll() {
        SkipBlanks();
        if (pos_ == text_.size())
            return nullptr;
        auto node = ParseOr();
        SkipBlanks();
        if (pos_ != text_.size())
            Fail("unexpected text");
        return node;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw EDatabaseError("Invalid filter expression \"" + std::string(text_) + "\": " + what +
                             " at position " + std::to_string(pos_ + 1));
    }

    void SkipBlanks() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_])))
            ++pos_;
    }

    bool Keyword(std::string_view word) {
        SkipBlanks();
        if (text_.size() - pos_ < word.size() || !SameTextIgnoringCase(text_.substr(pos_, word.size()), word))
            return false;
        const size_t after = pos_ + word.size();
        if (after < text_.size() &&
            (std::isalnum(static_cast<unsigned char>(text_[after])) || text_[after] == '_'))
            return false;
        pos_ = after;
        return true;
    }

    bool Symbol(char c) {
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    std::unique_ptr<Node> Join(NodeKind kind, std::unique_ptr<Node> left, std::unique_ptr<Node> right) {
        auto node = std::make_unique<Node>();
        node->kind = kind;
        node->left = std::move(left);
        node->right = std::move(right);
        return node;
    }

    std::unique_ptr<Node> ParseOr() {
        auto left = ParseAnd();
        while (Keyword("or"))
            left = Join(NodeKind::Or, std::move(left), ParseAnd());
        return left;
    }

    std::unique_ptr<Node> ParseAnd() {
        auto left = ParseUnary();
        while (Keyword("and"))
            left = Join(NodeKind::And, std::move(left), ParseUnary());
        return left;
    }

    std::unique_ptr<Node> ParseUnary() {
        if (Keyword("not"))
            return Join(NodeKind::Not, ParseUnary(), nullptr);
        if (Symbol('(')) {
            auto inner = ParseOr();
            if (!Symbol(')'))
                Fail("')' expected");
            return inner;
        }
        return ParseComparison();
    }

    std::string FieldName() {
        SkipBlanks();
        if (Symbol('[')) {
            const size_t end = text_.find(']', pos_);
            if (end == std::string_view::npos)
                Fail("']' expected");
            std::string name(text_.substr(pos_, end - pos_));
            pos_ = end + 1;
            return name;
        }
        const size_t start = pos_;
        while (pos_ < text_.size() &&
               (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_'))
            ++pos_;
        if (start == pos_)
            Fail("field name expected");
        return std::string(text_.substr(start, pos_ - start));
    }

    CompareOp Operator() {
        SkipBlanks();
        const std::string_view rest = text_.substr(pos_);
        static constexpr std::pair<std::string_view, CompareOp> Ops[] = {
            {"<>", CompareOp::NotEqual}, {"<=", CompareOp::LessEqual}, {">=", CompareOp::GreaterEqual},
            {"=", CompareOp::Equal},     {"<", CompareOp::Less},       {">", CompareOp::Greater}};
        for (const auto& [symbol, op] : Ops) {
            if (rest.substr(0, symbol.size()) == symbol) {
                pos_ += symbol.size();
                return op;
            }
        }
        Fail("comparison operator expected");
    }

    std::string Literal() {
        SkipBlanks();
        if (Symbol('\'')) {
            std::string value;
            while (true) {
                if (pos_ >= text_.size())
                    Fail("unterminated literal");
                const char c = text_[pos_++];
                if (c == '\'') {
                    if (pos_ < text_.size() && text_[pos_] == '\'') {
                        value += '\'';
                        ++pos_;
                        continue;
                    }
                    return value;
                }
                value += c;
            }
        }
        const size_t start = pos_;
        while (pos_ < text_.size() && (std::isdigit(static_cast<unsigned char>(text_[pos_])) ||
                                       text_[pos_] == '.' || text_[pos_] == '-' || text_[pos_] == '+'))
            ++pos_;
        if (start == pos_)
            Fail("literal expected");
        return std::string(text_.substr(start, pos_ - start));
    }

    std::unique_ptr<Node> ParseComparison() {
        const std::string name = FieldName();
        int field = -1;
        for (size_t i = 0; i < defs_.size(); ++i)
            if (SameTextIgnoringCase(defs_[i].name, name))
                field = static_cast<int>(i);
        if (field < 0)
            Fail("field '" + name + "' not found");
        auto node = std::make_unique<Node>();
        node->field = field;
        node->type = defs_[static_cast<size_t>(field)].type;
        node->op = Operator();
        node->text = Literal();
        try {
            node->literal = ConvertValue(node->text, node->type, name);
        } catch (const EDatabaseError& e) {
            Fail(e.what());
        }
        return node;
    }

    std::string_view text_;
    const FieldDefs& defs_;
    size_t pos_ = 0;
};

bool Holds(CompareOp op, int c) {
    switch (op) {
    case CompareOp::Equal:
        return c == 0;
    case CompareOp::NotEqual:
        return c != 0;
    case CompareOp::Less:
        return c < 0;
    case CompareOp::Greater:
        return c > 0;
    case CompareOp::LessEqual:
        return c <= 0;
    case CompareOp::GreaterEqual:
        return c >= 0;
    }
    return false;
}

bool Evaluate(const Node& node, const std::vector<Value>& row, const FilterOptions& options) {
    switch (node.kind) {
    case NodeKind::And:
        return Evaluate(*node.left, row, options) && Evaluate(*node.right, row, options);
    case NodeKind::Or:
        return Evaluate(*node.left, row, options) || Evaluate(*node.right, row, options);
    case NodeKind::Not:
        return !Evaluate(*node.left, row, options);
    case NodeKind::Compare:
        break;
    }
    const Value& value = row[static_cast<size_t>(node.field)];
    const auto* text = std::get_if<std::string>(&value);
    if (text && IsTextType(node.type)) {
        const bool partial = options.asterisk == FilterOptions::Asterisk::Wildcard && !node.text.empty() &&
                             node.text.back() == '*' &&
                             (node.op == CompareOp::Equal || node.op == CompareOp::NotEqual);
        if (partial) {
            const std::string_view prefix(node.text.data(), node.text.size() - 1);
            const bool match =
                text->size() >= prefix.size() && CompareText(std::string_view(*text).substr(0, prefix.size()),
                                                             prefix, options.caseSensitivity) == 0;
            return node.op == CompareOp::Equal ? match : !match;
        }
        return Holds(node.op, CompareText(*text, node.text, options.caseSensitivity));
    }
    // An empty text field compares as "" so that "Status <> 'Done'" holds for it.
    if (IsNull(value) && IsTextType(node.type))
        return Holds(node.op, CompareText("", node.text, options.caseSensitivity));
    return Holds(node.op, CompareValues(value, node.literal, options.caseSensitivity));
}

} // namespace

FilterExpression::FilterExpression(std::unique_ptr<Node> root) : root_(std::move(root)) {}
FilterExpression::~FilterExpression() = default;

std::unique_ptr<FilterExpression> FilterExpression::Parse(std::string_view text, const FieldDefs& defs) {
    return std::unique_ptr<FilterExpression>(new FilterExpression(Parser(text, defs).ParseAll()));
}

bool FilterExpression::Matches(const std::vector<Value>& row, const FilterOptions& options) const {
    return !root_ || Evaluate(*root_, row, options);
}

} // namespace corvane
