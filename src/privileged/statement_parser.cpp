#include "privileged/statement_parser.h"

namespace twl {
namespace {

constexpr std::string_view opening = "do shell script \"";
constexpr std::string_view userNameLeadIn = " user name \"";
constexpr std::string_view passwordLeadIn = " password \"";
constexpr std::string_view privilegedEnding = " with administrator privileges";

// Walks the source once; the first fault met ends the parse.
class StatementReader {
  public:
    explicit StatementReader(std::string_view source) : source_(source) {}

    StatementParse read() {
        ShellStatement statement;
        if (!expect(opening) || !readStringBody(statement.command)) {
            return failure();
        }
        if (atEnd()) {
            return StatementParse{std::move(statement), {}};
        }
        AdministratorCredentials administrator;
        if (!expect(userNameLeadIn) || !readStringBody(administrator.userName) ||
            !expect(passwordLeadIn) || !readStringBody(administrator.password) ||
            !expect(privilegedEnding)) {
            return failure();
        }
        if (!atEnd()) {
            fail("unexpected text after the statement");
            return failure();
        }
        statement.administrator = std::move(administrator);
        return StatementParse{std::move(statement), {}};
    }

  private:
    bool atEnd() const { return position_ == source_.size(); }

    bool expect(std::string_view piece) {
        if (source_.substr(position_, piece.size()) != piece) {
            fail(atEnd() ? "the statement ends too early" : "unexpected text");
            return false;
        }
        position_ += piece.size();
        return true;
    }

    // The rest of a string literal whose opening quote has been read, up to
    // and including its closing quote.
    bool readStringBody(std::string& value) {
        const std::size_t start = position_;
        while (!atEnd()) {
            const char c = source_[position_];
            if (c == '"') {
                ++position_;
                return true;
            }
            if (c == '\n' || c == '\r') {
                fail("line break inside a string");
                return false;
            }
            if (c == '\\') {
                if (!readEscape(value)) {
                    return false;
                }
                continue;
            }
            value += c;
            ++position_;
        }
        position_ = start;
        fail("unterminated string");
        return false;
    }

    bool readEscape(std::string& value) {
        if (position_ + 1 >= source_.size()) {
            fail("unterminated string");
            return false;
        }
        switch (source_[position_ + 1]) {
            case '"':
                value += '"';
                break;
            case '\\':
                value += '\\';
                break;
            case 'n':
                value += '\n';
                break;
            case 't':
                value += '\t';
                break;
            case 'r':
                value += '\r';
                break;
            default:
                fail("unknown escape");
                return false;
        }
        position_ += 2;
        return true;
    }

    void fail(std::string_view what) {
        error_ = std::string(what) + " at offset " + std::to_string(position_);
    }

    StatementParse failure() const { return StatementParse{std::nullopt, error_}; }

    std::string_view source_;
    std::size_t position_ = 0;
    std::string error_;
};

}  // namespace

StatementParse parseStatement(std::string_view source) {
    return StatementReader(source).read();
}

}  // namespace twl
