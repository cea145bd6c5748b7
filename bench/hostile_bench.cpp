// Inputs whose cost grows faster than their size: each case is run at
// doubling sizes, so that a doubling that costs much more than twice the time
// shows. The usage below says what is measured.
#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "cif/CifFile.h"

namespace {

const char* const kUsage =
    "usage: hostile_bench [--limit SECONDS] [CASE...]\n"
    "Times inputs whose cost grows faster than their size, each at doubling sizes: a\n"
    "doubling should cost about twice the time. Every case runs in a child process that is\n"
    "killed after the limit (default 10 s; shown as \"> 10 s\"), so the program always ends;\n"
    "the larger sizes of a case that the limit cut short are skipped.\n"
    "The inputs are made in a scratch directory under $TMPDIR (or /tmp), removed when the\n"
    "program ends or is interrupted.\n"
    "\n"
    "Cases (all when none is named), checked with CifFile::DataChecking against a small\n"
    "DDL2 dictionary unless said otherwise:\n"
    "  pattern      an item whose type construct is [ab]*a[ab]{20}c, one value of n random\n"
    "               a/b letters and a final d (and {100} at the largest size)\n"
    "  backref      a refusal: the construct (a*)(a*)(a*)(a*)\\4\\3\\2\\1b counts as not\n"
    "               compiling (back-references), so its n letters a are not matched and the\n"
    "               check must cost no more than reading; it shows if such a construct ever\n"
    "               reaches a matcher that backtracks\n"
    "  types        n type codes, each with its own construct [ab]*a[ab]{20}c|z<k>y, and n\n"
    "               items of one category, each of its own code, in one row: n columns of\n"
    "               about 15 KB of random a/b letters that match whole, which take each\n"
    "               construct's DFA through thousands of states. What the compiled\n"
    "               constructs keep shows in the beyond column: their DFA states should\n"
    "               not add up with n\n"
    "  types-same   as types, but all n codes have the one construct [ab]*a[ab]{20}c\n"
    "  stacked      a construct of stacked repetitions a{1}{1}{1}... of n bytes and one\n"
    "               value a; the construct is compiled within the check\n"
    "  bars         a construct of a group of n empty alternatives repeated 256 times,\n"
    "               (||...){256}, and one value a: it compiles, at a cost linear in n\n"
    "  count        a construct .{0,n} and one value of n letters a: up to 1,000 it\n"
    "               compiles and matches whole; above, RE2 takes no such count, and the\n"
    "               refusal must cost no more than reading; a last row .{0,32768} is\n"
    "               beyond the largest count regcomp reads\n"
    "  type-columns 13 type codes, each with its own construct of 60 alternatives of\n"
    "               bracket repetitions, for 13 items of one category, and n rows of\n"
    "               distinct values: no construct is compiled more than twice in a run,\n"
    "               whatever the number of columns\n"
    "  type-blocks  two categories of 12 items, each item with its own code and construct\n"
    "               as in type-columns, that take turns over n data blocks of one row\n"
    "  end-anchor   a construct of 255 copies of a 108-byte bracket expression and a final\n"
    "               $, against n values of 15,000 letters that it matches at their end; a\n"
    "               last row has the same construct bare, which the anchored one should\n"
    "               cost no more than three times\n"
    "  large        a thousand loops of a set of one range, ([ab]*){1000}c, against one\n"
    "               value of n letters a and b: RE2 follows each of its loops at every\n"
    "               byte; check s / n is its cost a byte\n"
    "  loops        ([bdfh]*){1000}cK, the worst cost a byte measured within the limits\n"
    "               (the most ranges that they let in), against one value of n letters h\n"
    "               that it does not match, which RE2 reads with all its loops at every\n"
    "               byte. K is (B0B1...B7){0}, B<i> the bracket expression\n"
    "               of the bytes whose bit i is set: it takes no bytes, but tells every byte\n"
    "               apart, so that the construct is not written over its three classes of\n"
    "               bytes (b d f h, c, the rest), where [bdfh] would be one range, not four;\n"
    "               a last row has . in place of [bdfh], without K\n"
    "  loops-whole  as loops, against n - 1 letters h and a final c, which it matches\n"
    "               whole (in two searches)\n"
    "  loops-end    as loops, with a final $, against n - 2 letters h, c and h: it fails\n"
    "               at the end\n"
    "  loops-nested (([bdfh]?){4}){250}cK, as many copies in nested loops, against n\n"
    "               letters h; a last row has . in place of [bdfh], without K\n"
    "  sets         a construct X{1000}b[bd]*, X a bracket expression of 128 bytes and 126\n"
    "               ranges that holds b and d but not c, against n values of 3,000 letters,\n"
    "               b or (one in twenty) d, that it matches whole; a last row has . in place\n"
    "               of X, so that the two costs show side by side\n"
    "  sets-end     as sets, with a final $ (and in the last row)\n"
    "  sets-codes   n type codes, each with its own construct X{990} and 12 letters b or d\n"
    "               that write k in binary, and n items of one category, each of its own\n"
    "               code, in one row: n values of 1,002 letters that their constructs match\n"
    "               whole; a last row has 200 codes with . in place of X\n"
    "  int-enum     an int item enumerating x0 ... x(n-2) and 5, n rows of value 5\n"
    "  float-enum   a float item enumerating n numbers, n rows of them\n"
    "  float-range  a float item with n ranges, n rows inside one of them\n"
    "  items        reading n single items of one category (_a.i0 v0 ...), no check\n"
    "  columns      reading a loop of n columns and one row, no check\n"
    "\n"
    "  --limit SECONDS  the time a child may take (1 to 3600)\n"
    "\n"
    "Columns: n, the size; read s, reading the dictionary and the file (wall seconds);\n"
    "check s, DataChecking; peak MB, the child's peak resident memory; alone MB, the peak\n"
    "of a child that only reads the same files; beyond MB, the difference; findings,\n"
    "report lines that are neither empty nor details; ns/byte, for the cases that hold many\n"
    "values of known size (end-anchor, large, the loops cases, sets, sets-end,\n"
    "sets-codes), check s over those bytes, in nanoseconds.\n"
    "\n"
    "What a child writes on standard error is kept apart and its first lines are shown on\n"
    "standard error after its row, so it never breaks into the table; RE2 may write many\n"
    "lines such as \"CoalesceWalker::ShortVisit called\" while compiling a huge construct.\n";

// What a child sends back: once when it has read its files (read set), once
// at its end (ok set), so that a child killed in the check still tells how
// long it took to read.
struct Figures {
    double read = -1;
    double check = 0;
    unsigned int findings = 0;
    bool ok = false;
};

// A child's end: finished within the limit or not, its figures and peak,
// and the first lines of what it wrote on standard error.
struct Run {
    bool finished = false;
    Figures figures;
    double peakMb = 0;
    std::string errors;
};

// The first few lines of a child's standard error, and how many there were
// beyond them.
std::string FirstLines(const std::string& path) {
    const unsigned int kShown = 3;
    std::ifstream in(path);
    std::string shown;
    unsigned int lines = 0;
    for (std::string line; std::getline(in, line); ++lines) {
        if (lines < kShown) {
            shown += "    child: " + line + "\n";
        }
    }
    if (lines > kShown) {
        const unsigned int more = lines - kShown;
        shown += "    child: ... " + std::to_string(more) +
                 (more == 1 ? " more line\n" : " more lines\n");
    }
    return shown;
}

// Reads the dictionary (when given) and the data, and checks the data unless
// readOnly, in a child killed after `limit` seconds. The child's standard
// error goes to errPath, so that it cannot break into a row of the table.
Run InChild(const std::string& dictPath, const std::string& dataPath, const std::string& logPath,
            const std::string& errPath, bool readOnly, int limit) {
    Run run;
    int channel[2];
    if (pipe(channel) != 0) {
        std::perror("pipe");
        return run;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    std::remove(errPath.c_str());
    const pid_t pid = fork();
    if (pid == 0) {
        close(channel[0]);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (err < 0 || dup2(err, STDERR_FILENO) < 0) {
            _exit(5);
        }
        close(err);
        Figures own;
        try {
            CifFile dict;
            CifFile data;
            Stopwatch watch;
            if (!(dictPath.empty() || ReadCif(dict, dictPath)) || !ReadCif(data, dataPath)) {
                _exit(3);
            }
            own.read = watch.Seconds();
            if (write(channel[1], &own, sizeof own) != sizeof own) {
                _exit(4);
            }
            if (!readOnly) {
                std::remove(logPath.c_str());
                watch = Stopwatch();
                data.DataChecking(dict, logPath, false, false);
                own.check = watch.Seconds();
                own.findings = CountFindings(logPath);
            }
            own.ok = true;
        } catch (const std::exception& e) {
            std::cerr << "failed: " << e.what() << "\n";
        }
        _exit(write(channel[1], &own, sizeof own) == sizeof own ? 0 : 4);
    }
    close(channel[1]);
    if (pid < 0) {
        close(channel[0]);
        return run;
    }
    ScratchDir::Watch(pid);
    const Stopwatch watch;
    // Each message is written whole (it is shorter than PIPE_BUF) and read
    // whole; the end of the pipe without the last one is a failed child.
    while (!run.finished) {
        const double left = limit - watch.Seconds();
        struct pollfd wait = {channel[0], POLLIN, 0};
        const int ready = left > 0 ? poll(&wait, 1, static_cast<int>(left * 1000) + 1) : 0;
        if (ready > 0) {
            Figures message;
            if (read(channel[0], &message, sizeof message) != sizeof message) {
                run.finished = true;
                break;
            }
            run.figures = message;
            run.finished = message.ok;
        } else if (ready == 0 || errno != EINTR) {
            kill(pid, SIGKILL);
            break;
        }
    }
    close(channel[0]);
    int status = 0;
    struct rusage usage;
    if (wait4(pid, &status, 0, &usage) == pid) {
        run.peakMb = usage.ru_maxrss / 1024.0;
    }
    ScratchDir::Watch(0);
    run.errors = FirstLines(errPath);
    return run;
}

// A construct as a dictionary value: quoted, or a text field where it holds
// a control byte or a line feed, which a quoted value cannot (none here has
// a ';' after a line feed, which would end the field).
std::string ConstructValue(const std::string& construct) {
    const bool quoted = std::none_of(construct.begin(), construct.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 && c != '\t';
    });
    return quoted ? "'" + construct + "'" : "\n;" + construct + "\n;";
}

// A dictionary of one category s, key _s.id, and the item _s.v of type `code`
// (with its type construct when `construct` is not empty), plus `extra`
// tables.
std::string Dictionary(const std::string& code, const std::string& primitive,
                       const std::string& construct, const std::string& extra) {
    std::string text =
        "data_dict\n"
        "_category.id s\n_category.mandatory_code no\n"
        "_category_key.id s\n_category_key.name '_s.id'\n"
        "loop_\n_item.name\n_item.category_id\n_item.mandatory_code\n"
        "'_s.id' s yes\n'_s.v' s no\n"
        "_item_type.name '_s.v'\n_item_type.code " +
        code + "\n";
    if (!construct.empty()) {
        text += "_item_type_list.code " + code + "\n_item_type_list.primitive_code " + primitive +
                "\n_item_type_list.construct " + ConstructValue(construct) + "\n";
    }
    return text + extra;
}

const char* const kInt = "[+-]?[0-9]+";
const char* const kFloat = "-?(([0-9]+)[.]?|([0-9]*[.][0-9]+))([(][0-9]+[)])?([eE][+-]?[0-9]+)?";

// The data block: one row of _s.id and _s.v per value.
std::string Rows(const std::vector<std::string>& values) {
    std::string text = "data_b\nloop_\n_s.id\n_s.v\n";
    for (std::size_t i = 0; i < values.size(); ++i) {
        text += std::to_string(i + 1) + " " + values[i] + "\n";
    }
    return text;
}

// The dictionary (empty: none) and the data of one case at size n.
struct Input {
    std::string dict;
    std::string data;
};

// n letters a or b, drawn from `random`.
std::string Letters(std::mt19937& random, unsigned int n) {
    std::string letters(n, 'a');
    for (char& c : letters) {
        c = random() % 2 ? 'a' : 'b';
    }
    return letters;
}

Input Pattern(unsigned int repeat, unsigned int n) {
    std::mt19937 random(n);
    const std::string value = Letters(random, n) + 'd';
    return {Dictionary("pat", "char", "[ab]*a[ab]{" + std::to_string(repeat) + "}c", ""),
            Rows({value})};
}

Input BackReference(unsigned int n) {
    return {Dictionary("ref", "char", "(a*)(a*)(a*)(a*)\\4\\3\\2\\1b", ""),
            Rows({std::string(n, 'a')})};
}

// n type codes t0 ... t(n-1), code k of construct(k), and the items _s.v0
// ... _s.v(n-1) of one category, each of its own code, in one row, item k of
// value(k).
Input OwnCodes(unsigned int n, const std::function<std::string(unsigned int)>& construct,
               const std::function<std::string(unsigned int)>& value) {
    std::string items =
        "loop_\n_item.name\n_item.category_id\n_item.mandatory_code\n'_s.id' s yes\n";
    std::string typed = "loop_\n_item_type.name\n_item_type.code\n";
    std::string codes =
        "loop_\n_item_type_list.code\n_item_type_list.primitive_code\n"
        "_item_type_list.construct\n";
    std::string data = "data_b\n_s.id 1\n";
    for (unsigned int k = 0; k < n; ++k) {
        const std::string item = "_s.v" + std::to_string(k);
        const std::string code = "t" + std::to_string(k);
        items += "'" + item + "' s no\n";
        typed += "'" + item + "' " + code + "\n";
        codes += code + " char " + ConstructValue(construct(k)) + "\n";
        data += item + " " + value(k) + "\n";
    }
    return {
        "data_dict\n"
        "_category.id s\n_category.mandatory_code no\n"
        "_category_key.id s\n_category_key.name '_s.id'\n" +
            items + typed + codes,
        data};
}

// n codes of the construct [ab]*a[ab]{20}c|z<k>y each (or all the one
// [ab]*a[ab]{20}c when `shared`). Each value is about 15 KB of random a/b
// letters that the construct matches whole: the search for any match and
// that for the whole match both read it all, and the letters take the DFA
// through a new state at almost every byte.
Input Types(unsigned int n, bool shared) {
    const unsigned int kLetters = 15000;
    std::mt19937 random(n);
    return OwnCodes(
        n,
        [shared](unsigned int k) {
            return "[ab]*a[ab]{20}c" + (shared ? "" : "|z" + std::to_string(k) + "y");
        },
        [&random](unsigned int) {
            return Letters(random, kLetters) + "a" + Letters(random, 20) + "c";
        });
}

// The construct a{1}{1}{1}... of about n bytes and the one value a.
Input Stacked(unsigned int n) {
    std::string construct = "a";
    while (construct.size() + 3 <= n) {
        construct += "{1}";
    }
    return {Dictionary("stk", "char", construct, ""), Rows({"a"})};
}

// A group of n + 1 empty alternatives repeated 256 times, and the one value
// a: regcomp overflowed its stack from 258 on.
Input Bars(unsigned int n) {
    return {Dictionary("bar", "char", "(" + std::string(n, '|') + "){256}", ""), Rows({"a"})};
}

// The construct .{0,n}, and one value of n letters a.
Input Count(unsigned int n) {
    return {Dictionary("cnt", "char", ".{0," + std::to_string(n) + "}", ""),
            Rows({std::string(n, 'a')})};
}

Input IntEnumeration(unsigned int n) {
    std::string enumeration = "loop_\n_item_enumeration.name\n_item_enumeration.value\n";
    for (unsigned int i = 0; i + 1 < n; ++i) {
        enumeration += "'_s.v' x" + std::to_string(i) + "\n";
    }
    enumeration += "'_s.v' 5\n";
    return {Dictionary("int", "numb", kInt, enumeration), Rows(std::vector<std::string>(n, "5"))};
}

Input FloatEnumeration(unsigned int n) {
    std::string enumeration = "loop_\n_item_enumeration.name\n_item_enumeration.value\n";
    std::vector<std::string> values;
    for (unsigned int i = 0; i < n; ++i) {
        const std::string number = std::to_string(i) + ".5";
        enumeration += "'_s.v' " + number + "\n";
        values.push_back(number);
    }
    std::reverse(values.begin(), values.end());
    return {Dictionary("float", "numb", kFloat, enumeration), Rows(values)};
}

Input FloatRange(unsigned int n) {
    std::string ranges = "loop_\n_item_range.name\n_item_range.minimum\n_item_range.maximum\n";
    std::vector<std::string> values;
    for (unsigned int i = 0; i < n; ++i) {
        ranges += "'_s.v' " + std::to_string(10 * i) + ".0 " + std::to_string(10 * i + 5) + ".0\n";
        values.push_back(std::to_string(10 * (n - 1 - i) + 2) + ".5");
    }
    return {Dictionary("float", "numb", kFloat, ranges), Rows(values)};
}

Input Items(unsigned int n) {
    std::string text = "data_b\n";
    for (unsigned int i = 0; i < n; ++i) {
        text += "_a.i" + std::to_string(i) + " v" + std::to_string(i) + "\n";
    }
    return {"", text};
}

Input Columns(unsigned int n) {
    std::string text = "data_b\nloop_\n";
    std::string row;
    for (unsigned int i = 0; i < n; ++i) {
        text += "_a.i" + std::to_string(i) + "\n";
        row += " v" + std::to_string(i);
    }
    return {"", text + row + "\n"};
}

// A bracket expression of 108 bytes that holds a and b and, apart from one
// another, other letters and bytes above 127: RE2 writes an instruction for
// each of its ranges, so that its copies make a large program.
std::string SparseBracket() {
    std::string text = "[ab";
    for (char c = 'd'; c <= 'z'; c += 2) {
        text.push_back(c);
    }
    for (unsigned int c = 0x81; c <= 0xff; c += 2) {
        text.push_back(static_cast<char>(c));
    }
    // Odd bytes up to 'Y' but the quote and '-', which the dictionary's
    // quoting and the bracket would read otherwise.
    for (char c = '!'; text.size() < 107; c += 2) {
        if (c != '\'' && c != '-') {
            text.push_back(c);
        }
    }
    return text + "]";
}

// A bracket expression of 128 bytes that holds b and d but not c: ']', then
// every other byte from 0x02 to '>', from 'A' to '[' and from '`' to 0xfe.
// None is next to another, so RE2 would write 126 ranges for it; yet a
// construct of it, b and d tells apart only four classes of bytes (those of
// it but b and d, b, d, the rest), over which it is written instead. The
// quote, '-' and '\\' are odd or between the runs, and its '[' comes before
// '`', not '.', ':' or '='. Its control bytes and line feed make it a text
// field in the dictionary (ConstructValue).
std::string SetBracket() {
    std::string text = "[]";
    for (unsigned int c = 0x02; c <= 0x3e; c += 2) {
        text.push_back(static_cast<char>(c));
    }
    for (unsigned int c = 'A'; c <= '['; c += 2) {
        text.push_back(static_cast<char>(c));
    }
    for (unsigned int c = '`'; c <= 0xfe; c += 2) {
        text.push_back(static_cast<char>(c));
    }
    return text + "]";
}

// The construct of code k of the type-code layouts: 60 alternatives of
// bracket repetitions, its own by their last letters; and a value of row r
// that it matches whole.
std::string Alternatives(unsigned int k) {
    std::string construct;
    for (unsigned int j = 0; j < 60; ++j) {
        construct += (j == 0 ? "" : "|") + std::string("[a-z]{2}[0-9]{1,3}x") + std::to_string(j) +
                     "y" + std::to_string(k);
    }
    return construct;
}

std::string AlternativeValue(unsigned int k, unsigned int r) {
    return std::string(1, static_cast<char>('a' + r % 26)) + static_cast<char>('a' + r / 26 % 26) +
           std::to_string(r / 676 % 1000) + "x" + std::to_string(r % 60) + "y" + std::to_string(k);
}

// The dictionary of the type-code layouts: `codes` codes, each with its own
// construct, given in turn to the items v0 ... of the categories named,
// whose key is their item id.
std::string LayoutDictionary(const std::vector<std::string>& categories, unsigned int codes) {
    std::string text = "data_dict\nloop_\n_category.id\n_category.mandatory_code\n";
    std::string keys = "loop_\n_category_key.id\n_category_key.name\n";
    std::string items = "loop_\n_item.name\n_item.category_id\n_item.mandatory_code\n";
    std::string typed = "loop_\n_item_type.name\n_item_type.code\n";
    std::string list =
        "loop_\n_item_type_list.code\n_item_type_list.primitive_code\n"
        "_item_type_list.construct\n";
    for (const std::string& category : categories) {
        text += category + " no\n";
        keys += category + " '_" + category + ".id'\n";
        items += "'_" + category + ".id' " + category + " yes\n";
    }
    for (unsigned int k = 0; k < codes; ++k) {
        const std::string& category = categories[k % categories.size()];
        const std::string item = "'_" + category + ".v" + std::to_string(k) + "'";
        items += item + " " + category + " no\n";
        typed += item + " t" + std::to_string(k) + "\n";
        list += "t" + std::to_string(k) + " char '" + Alternatives(k) + "'\n";
    }
    return text + keys + items + typed + list;
}

// 13 columns of one category, n rows of distinct values.
Input TypeColumns(unsigned int n) {
    const unsigned int kCodes = 13;
    std::string data = "data_b\nloop_\n_s.id\n";
    for (unsigned int k = 0; k < kCodes; ++k) {
        data += "_s.v" + std::to_string(k) + "\n";
    }
    for (unsigned int r = 0; r < n; ++r) {
        data += std::to_string(r);
        for (unsigned int k = 0; k < kCodes; ++k) {
            data += " " + AlternativeValue(k, r);
        }
        data += "\n";
    }
    return {LayoutDictionary({"s"}, kCodes), data};
}

// Categories p and q of 12 items each, taking turns over n blocks.
Input TypeBlocks(unsigned int n) {
    const unsigned int kCodes = 24;
    std::string data;
    for (unsigned int b = 0; b < n; ++b) {
        const std::string category = b % 2 == 0 ? "p" : "q";
        data += "data_b" + std::to_string(b) + "\n_" + category + ".id 1\n";
        for (unsigned int k = b % 2; k < kCodes; k += 2) {
            data += "_" + category + ".v" + std::to_string(k) + " " + AlternativeValue(k, b) + "\n";
        }
    }
    return {LayoutDictionary({"p", "q"}, kCodes), data};
}

// 255 copies of the sparse bracket expression, then `end` ("$" or none),
// and n values of 15,000 of its letters.
Input Anchored(unsigned int n, const std::string& end) {
    const std::string kLetters = "abdfhjlnprtvxz";
    std::string construct;
    for (int i = 0; i < 255; ++i) {
        construct += SparseBracket();
    }
    std::mt19937 random(n);
    std::vector<std::string> values;
    for (unsigned int i = 0; i < n; ++i) {
        std::string value(15000, 'a');
        for (char& c : value) {
            c = kLetters[random() % kLetters.size()];
        }
        values.push_back(value);
    }
    return {Dictionary("anc", "char", construct + end, ""), Rows(values)};
}

Input Large(unsigned int n) {
    std::mt19937 random(n);
    return {Dictionary("big", "char", "([ab]*){1000}c", ""), Rows({Letters(random, n)})};
}

// The bracket expression of the bytes 1 to 255 whose bit `bit` is set, ']'
// first and '^' and '-' last, where they stand for themselves. The carriage
// return is left out: a text field reads it as a line feed, which would put
// the line feed in sets that it is not of; no value read holds one either.
std::string BitBracket(int bit) {
    std::string members;
    for (int b = 1; b < 256; ++b) {
        const char c = static_cast<char>(b);
        if ((b >> bit & 1) != 0 && c != ']' && c != '^' && c != '-' && c != '\r') {
            members.push_back(c);
        }
    }
    auto holds = [bit](char c) { return (static_cast<unsigned char>(c) >> bit & 1) != 0; };
    return std::string("[") + (holds(']') ? "]" : "") + members + (holds('^') ? "^" : "") +
           (holds('-') ? "-" : "") + "]";
}

// The bit brackets of bits 0 to 7 repeated zero times: they take no bytes,
// yet tell apart every byte that a value may hold, so that the sets of a
// construct beside them cannot be written over fewer classes of bytes, where
// [bdfh] would be one range rather than four.
std::string EveryByteApart() {
    std::string row;
    for (int bit = 0; bit < 8; ++bit) {
        row += BitBracket(bit);
    }
    return "(" + row + "){0}";
}

// The thousand loops of the most ranges the limits let in, and the thousand
// optional copies nested, each with every byte told apart.
const char* const kLoops = "([bdfh]*){1000}c";
const char* const kNested = "(([bdfh]?){4}){250}c";

// The construct and one value.
Input OneValue(const std::string& construct, const std::string& value) {
    return {Dictionary("lop", "char", construct, ""), Rows({value})};
}

// n letters h; n - 1 and a final c; n - 2, c and h: each n bytes.
std::string Hs(unsigned int n) {
    return std::string(n, 'h');
}

std::string HsThenC(unsigned int n) {
    return std::string(n - 1, 'h') + "c";
}

std::string HsCH(unsigned int n) {
    return std::string(n - 2, 'h') + "ch";
}

// n letters b, but for one in twenty d, drawn from `random`.
std::string MostlyB(std::mt19937& random, unsigned int n) {
    std::string letters(n, 'b');
    for (char& c : letters) {
        c = random() % 20 == 0 ? 'd' : 'b';
    }
    return letters;
}

// The construct `set`{1000}b[bd]* and `end` ("$" or none), and n values of
// 3,000 letters b or d with a b at 1000, which it matches whole.
Input Sets(unsigned int n, const std::string& set, const std::string& end) {
    std::mt19937 random(n);
    std::vector<std::string> values;
    for (unsigned int i = 0; i < n; ++i) {
        values.push_back(MostlyB(random, 3000));
        values.back()[1000] = 'b';
    }
    return {Dictionary("set", "char", set + "{1000}b[bd]*" + end, ""), Rows(values)};
}

// The 12 letters of code k: its binary digits, b for 0 and d for 1.
std::string CodeLetters(unsigned int k) {
    std::string letters(12, 'b');
    for (unsigned int i = 0; i < letters.size(); ++i) {
        if ((k >> (letters.size() - 1 - i)) & 1) {
            letters[i] = 'd';
        }
    }
    return letters;
}

// n codes of the construct `set`{990} and their own 12 letters, and values
// of 990 letters b or d and those 12, each matched whole by its construct
// alone.
Input SetCodes(unsigned int n, const std::string& set) {
    std::mt19937 random(n);
    return OwnCodes(
        n, [&set](unsigned int k) { return set + "{990}" + CodeLetters(k); },
        [&random](unsigned int k) { return MostlyB(random, 990) + CodeLetters(k); });
}

struct Case {
    const char* name;
    const char* label;  // what a row is
    std::vector<unsigned int> sizes;
    Input (*make)(unsigned int n);
    // A last row of its own (the pattern's longer repeat); 0: none.
    unsigned int extraSize = 0;
    Input (*extra)(unsigned int n) = nullptr;
    const char* extraLabel = "";
    // The bytes of the values per unit of n, for the ns/byte column; 0: none.
    unsigned int bytesEach = 0;
};

std::vector<Case> Cases() {
    return {
        {"pattern",
         "[ab]*a[ab]{20}c",
         {20000, 40000, 80000, 160000},
         [](unsigned int n) { return Pattern(20, n); },
         320000,
         [](unsigned int n) { return Pattern(100, n); },
         "[ab]*a[ab]{100}c"},
        {"backref", "refused (a*)(a*)(a*)(a*)\\4\\3\\2\\1b", {40, 80, 160}, BackReference},
        {"types",
         "n codes, n constructs, 15 KB each",
         {125, 250, 500, 1000},
         [](unsigned int n) { return Types(n, false); }},
        {"types-same",
         "n codes, one construct, 15 KB each",
         {125, 250, 500, 1000},
         [](unsigned int n) { return Types(n, true); }},
        {"stacked",
         "a{1}{1}{1}..., n bytes",
         {1u << 18, 1u << 19, 1u << 20, 1u << 21, 1u << 22},
         Stacked},
        {"bars", "(||...){256}, n bars", {1u << 18, 1u << 19, 1u << 20, 1u << 21}, Bars},
        {"count",
         ".{0,n}, a value of n bytes",
         {1000, 2000, 4000, 8000, 16000, 32000},
         Count,
         32768,
         Count,
         ".{0,32768}"},
        {"type-columns",
         "13 columns of 13 constructs, n rows",
         {4600, 9200, 18400, 36800},
         TypeColumns},
        {"type-blocks", "2 categories of 12 codes, n blocks", {64, 128, 256, 512}, TypeBlocks},
        {"end-anchor",
         "255 brackets $, n values of 15 KB",
         {4, 8, 16},
         [](unsigned int n) { return Anchored(n, "$"); },
         16,
         [](unsigned int n) { return Anchored(n, ""); },
         "the same, bare",
         15000},
        {"large", "([ab]*){1000}c, n bytes", {2000, 4000, 8000, 16000}, Large, 0, nullptr, "", 1},
        // A byte of the loops cases may cost 50 to 80 microseconds: their
        // largest size fits the default limit with room for a loaded machine.
        {"loops",
         "([bdfh]*){1000}cK, n bytes",
         {3000, 6000, 12000, 24000, 48000, 96000},
         [](unsigned int n) { return OneValue(kLoops + EveryByteApart(), Hs(n)); },
         96000,
         [](unsigned int n) { return OneValue("(.*){1000}c", Hs(n)); },
         "(.*){1000}c, n bytes",
         1},
        {"loops-whole",
         "([bdfh]*){1000}cK, n bytes, whole",
         {3000, 6000, 12000, 24000, 48000, 96000},
         [](unsigned int n) { return OneValue(kLoops + EveryByteApart(), HsThenC(n)); },
         96000,
         [](unsigned int n) { return OneValue("(.*){1000}c", HsThenC(n)); },
         "(.*){1000}c, n bytes, whole",
         1},
        {"loops-end",
         "([bdfh]*){1000}cK$, n bytes",
         {3000, 6000, 12000, 24000, 48000, 96000},
         [](unsigned int n) { return OneValue(kLoops + EveryByteApart() + "$", HsCH(n)); },
         96000,
         [](unsigned int n) { return OneValue("(.*){1000}c$", HsCH(n)); },
         "(.*){1000}c$, n bytes",
         1},
        {"loops-nested",
         "(([bdfh]?){4}){250}cK, n bytes",
         {3000, 6000, 12000, 24000, 48000, 96000},
         [](unsigned int n) { return OneValue(kNested + EveryByteApart(), Hs(n)); },
         96000,
         [](unsigned int n) { return OneValue("((.?){4}){250}c", Hs(n)); },
         "((.?){4}){250}c, n bytes",
         1},
        {"sets",
         "X{1000}b[bd]*, n values of 3 KB",
         {2, 4, 8, 16},
         [](unsigned int n) { return Sets(n, SetBracket(), ""); },
         16,
         [](unsigned int n) { return Sets(n, ".", ""); },
         ".{1000}b[bd]*, n values of 3 KB",
         3000},
        {"sets-end",
         "X{1000}b[bd]*$, n values of 3 KB",
         {2, 4, 8, 16},
         [](unsigned int n) { return Sets(n, SetBracket(), "$"); },
         16,
         [](unsigned int n) { return Sets(n, ".", "$"); },
         ".{1000}b[bd]*$, n values of 3 KB",
         3000},
        {"sets-codes",
         "n codes X{990}bd.., 1,002 B each",
         {25, 50, 100, 200},
         [](unsigned int n) { return SetCodes(n, SetBracket()); },
         200,
         [](unsigned int n) { return SetCodes(n, "."); },
         "n codes .{990}bd.., 1,002 B each",
         1002},
        {"int-enum", "int, n-1 unknown entries + 5", {1000, 2000, 4000, 8000}, IntEnumeration},
        {"float-enum", "float, n entries, n rows", {5000, 10000, 20000}, FloatEnumeration},
        {"float-range", "float, n ranges, n rows", {5000, 10000, 20000}, FloatRange},
        {"items", "n single items, read only", {20000, 40000, 80000}, Items},
        {"columns", "loop of n columns, read only", {20000, 40000, 80000}, Columns},
    };
}

void Write(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) {
        std::cerr << "cannot write " << path << "\n";
        std::exit(1);
    }
}

// A phase's seconds, "> limit s" for the phase the limit cut short, empty for
// a phase not reached.
std::string Seconds(const Run& run, bool done, double seconds, bool reached, int limit) {
    char text[32];
    if (done) {
        std::snprintf(text, sizeof text, "%.3f", seconds);
    } else if (run.finished) {
        return "failed";
    } else if (reached) {
        std::snprintf(text, sizeof text, "> %d s", limit);
    } else {
        return "";
    }
    return text;
}

// A child's standard error below its row, once the row is out.
void ShowErrors(const std::string& errors) {
    std::fflush(stdout);
    std::fputs(errors.c_str(), stderr);
    std::fflush(stderr);
}

// Prints the row of one size; false when the limit cut the child short.
// `bytes`: those of the values, for the check's cost a byte; 0: not shown.
bool Measure(ScratchDir& scratch, const char* label, unsigned int n, double bytes, Input input,
             int limit) {
    const std::string dictPath = input.dict.empty() ? "" : scratch.File("dict.dic");
    const std::string dataPath = scratch.File("data.cif");
    const std::string logPath = scratch.File("check.log");
    const std::string errPath = scratch.File("child.err");
    if (!dictPath.empty()) {
        Write(dictPath, input.dict);
    }
    Write(dataPath, input.data);
    // The children start as copies of this process: memory that it has freed
    // but still holds would count in their peaks, or be taken by them unseen.
    input = Input();
    malloc_trim(0);
    const bool check = !dictPath.empty();
    const Run run = InChild(dictPath, dataPath, logPath, errPath, !check, limit);
    const bool read = run.figures.read >= 0;
    std::printf("  %-34s %8u %9s", label, n,
                Seconds(run, read, run.figures.read, true, limit).c_str());
    if (!check) {
        std::printf(" %9s %8.1f\n", "", run.peakMb);
        ShowErrors(run.errors);
        return run.finished;
    }
    const Run alone = InChild(dictPath, dataPath, logPath, errPath, true, limit);
    const bool done = run.finished && run.figures.ok;
    std::printf(" %9s %8.1f", Seconds(run, done, run.figures.check, read, limit).c_str(),
                run.peakMb);
    if (alone.finished && alone.figures.ok) {
        std::printf(" %8.1f", alone.peakMb);
        if (done) {
            std::printf(" %8.1f %8u", run.peakMb - alone.peakMb, run.figures.findings);
            if (bytes > 0) {
                std::printf(" %8.1f", run.figures.check * 1e9 / bytes);
            }
        }
    }
    std::printf("\n");
    ShowErrors(run.errors);
    // The same files read again say the same, if anything.
    if (alone.errors != run.errors) {
        ShowErrors(alone.errors);
    }
    return run.finished;
}

}  // namespace

int main(int argc, char** argv) {
    int limit = 10;
    std::vector<std::string> chosen;
    const std::vector<Case> cases = Cases();
    Arguments args(argc, argv, kUsage);
    while (args.Next()) {
        if (args.Is("--limit")) {
            limit = static_cast<int>(args.Number(1, 3600));
        } else if (args.IsOption()) {
            args.Refuse();
        } else if (std::none_of(cases.begin(), cases.end(),
                                [&args](const Case& c) { return args.Current() == c.name; })) {
            args.Fail("no case " + args.Current());
        } else {
            chosen.push_back(args.Current());
        }
    }
    ScratchDir scratch("hostile_bench.");
    std::printf("each size in a child killed after %d s; times in wall seconds, memory in MB\n",
                limit);
    std::printf("  %-34s %8s %9s %9s %8s %8s %8s %8s %8s\n", "case", "n", "read s", "check s",
                "peak MB", "alone MB", "beyond", "findings", "ns/byte");
    for (const Case& c : cases) {
        if (!chosen.empty() && std::find(chosen.begin(), chosen.end(), c.name) == chosen.end()) {
            continue;
        }
        std::printf("%s\n", c.name);
        // The sizes double and the cost grows at least as fast: once the
        // limit cuts a size short, it would cut every larger one.
        std::size_t measured = 0;
        bool within = true;
        while (within && measured < c.sizes.size()) {
            const unsigned int n = c.sizes[measured++];
            within = Measure(scratch, c.label, n, 1.0 * c.bytesEach * n, c.make(n), limit);
        }
        const std::size_t skipped = c.sizes.size() - measured + (c.extra != nullptr ? 1 : 0);
        if (within && c.extra != nullptr) {
            Measure(scratch, c.extraLabel, c.extraSize, 1.0 * c.bytesEach * c.extraSize,
                    c.extra(c.extraSize), limit);
        } else if (!within && skipped > 0) {
            std::printf("  (%zu larger size%s skipped)\n", skipped, skipped == 1 ? "" : "s");
        }
    }
    return 0;
}
