// abcde's #CALC expressions: numbers ($hex, %binary, decimal), other CALCVARs as
// !name, + - * / ( ), & | ^, && ||, comparisons giving 1 or 0, and c ? a : b.
#include <cctype>

#include "script/atlas_run.h"
#include "core/hex_text.h"

namespace tarpon {
namespace {

class Calc {
public:
    Calc(std::string_view text, const std::function<std::optional<int64_t>(std::string_view)>& value)
        : s_(text), value_(value) {}

    std::optional<int64_t> whole(std::string& problem) {
        int64_t v = ternary();
        blanks();
        if (problem_.empty() && at_ < s_.size()) problem_ = "\"" + std::string(s_.substr(at_)) + "\" is not understood.";
        problem = problem_;
        return problem_.empty() ? std::optional<int64_t>(v) : std::nullopt;
    }

private:
    void blanks() {
        while (at_ < s_.size() && (s_[at_] == ' ' || s_[at_] == '\t')) ++at_;
    }
    bool take(std::string_view op) {
        blanks();
        if (!s_.substr(at_).starts_with(op)) return false;
        at_ += op.size();
        return true;
    }
    int64_t error(const std::string& why) {
        if (problem_.empty()) problem_ = why;
        at_ = s_.size();
        return 0;
    }

    int64_t ternary() {
        if (++depth_ > 200) return error("the expression nests too deeply.");
        const int64_t c = binary(0);
        int64_t v = c;
        if (take("?")) {
            const int64_t a = ternary();
            if (!take(":")) return error("\"?\" without its \":\".");
            const int64_t b = ternary();
            v = c ? a : b;
        }
        --depth_;
        return v;
    }

    // Operators by level, loosest first.
    int64_t binary(int level) {
        static const std::vector<std::vector<std::string_view>> levels{
            {"||"}, {"&&"}, {"|"}, {"^"}, {"&"}, {"==", "!="}, {"<=", ">=", "<", ">"}, {"+", "-"}, {"*", "/"}};
        if (level == static_cast<int>(levels.size())) return unary();
        int64_t v = binary(level + 1);
        for (;;) {
            std::string_view op;
            for (const std::string_view o : levels[static_cast<size_t>(level)]) {
                blanks();
                const bool doubled = (o == "|" || o == "&") && s_.substr(at_).starts_with(std::string(2, o[0]));
                if (!doubled && take(o)) {
                    op = o;
                    break;
                }
            }
            if (op.empty() || !problem_.empty()) return v;
            v = apply(op, v, binary(level + 1));
        }
    }

    int64_t apply(std::string_view op, int64_t a, int64_t b) {
        const auto ua = static_cast<uint64_t>(a), ub = static_cast<uint64_t>(b);
        if (op == "+") return static_cast<int64_t>(ua + ub);
        if (op == "-") return static_cast<int64_t>(ua - ub);
        if (op == "*") return static_cast<int64_t>(ua * ub);
        if (op == "/") return b == 0 ? error("division by zero.") : (b == -1 ? static_cast<int64_t>(0 - ua) : a / b);
        if (op == "&") return a & b;
        if (op == "|") return a | b;
        if (op == "^") return a ^ b;
        if (op == "&&") return a && b;
        if (op == "||") return a || b;
        if (op == "==") return a == b;
        if (op == "!=") return a != b;
        if (op == "<") return a < b;
        if (op == ">") return a > b;
        if (op == "<=") return a <= b;
        return a >= b;
    }

    int64_t unary() {
        if (take("-")) {
            if (++depth_ > 200) return error("the expression nests too deeply.");
            const auto v = static_cast<uint64_t>(unary());
            --depth_;
            return static_cast<int64_t>(0 - v);
        }
        if (take("(")) {
            const int64_t v = ternary();
            return take(")") ? v : error("\"(\" without its \")\".");
        }
        blanks();
        if (take("!") || (at_ < s_.size() && (std::isalpha(static_cast<unsigned char>(s_[at_])) || s_[at_] == '_')))
            return variable();
        return literal();
    }

    int64_t variable() {
        const size_t start = at_;
        while (at_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[at_])) || s_[at_] == '_')) ++at_;
        const std::string_view name = s_.substr(start, at_ - start);
        const std::optional<int64_t> v = value_(name);
        return v ? *v : error("\"" + std::string(name) + "\" is no CALCVAR.");
    }

    int64_t literal() {
        int base = 10;
        if (take("$")) base = 16;
        else if (take("%")) base = 2;
        const size_t start = at_;
        uint64_t v = 0;
        for (; at_ < s_.size(); ++at_) {
            const int d = hexDigitValue(s_[at_]);
            if (d < 0 || d >= base) break;
            v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
        }
        return at_ == start ? error("a number or a CALCVAR is missing.") : static_cast<int64_t>(v);
    }

    std::string_view s_;
    const std::function<std::optional<int64_t>(std::string_view)>& value_;
    size_t at_ = 0;
    int depth_ = 0;
    std::string problem_;
};

}  // namespace

std::optional<int64_t> evaluateCalc(std::string_view expr, const std::function<std::optional<int64_t>(std::string_view)>& value,
                                    std::string& problem) {
    return Calc(expr, value).whole(problem);
}

}  // namespace tarpon
