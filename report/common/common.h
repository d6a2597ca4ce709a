// What every part of formreport shares: the names of the result quantities,
// file errors, the texts of numbers and messages, units, progress, exit
// statuses.
#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace formeval::report {

// Result quantities.

// The four numbers of a circle fit result, in the order formeval writes them.
constexpr int nquantities = 4;
constexpr std::array<const char*, nquantities> quantitynames = {"centre x", "centre y", "radius",
                                                                "circularity error"};
// Short forms for table headings and file names.
constexpr std::array<const char*, nquantities> quantityheads = {"centre x", "centre y", "radius",
                                                                "circularity"};
constexpr std::array<const char*, nquantities> quantityslugs = {"centre-x", "centre-y", "radius",
                                                                "circularity"};

// Axis and legend label of the coordinate unit when the user names none.
constexpr const char* defaultunit = "same unit as the coordinates";

// File errors.

// A file that cannot be read or written, or whose content is not what it
// should be. line is 0 when the fault concerns the file as a whole; column
// (bytes from 1) is 0 when it concerns the line as a whole.
class FileError : public std::runtime_error {
  public:
    FileError(std::string file, long line, const std::string& why, long column = 0);
    const std::string& file() const { return file_; }
    long line() const { return line_; }
    long column() const { return column_; }
    // "file:line:column", the line and column where known.
    std::string place() const;

  private:
    std::string file_;
    long line_;
    long column_;
};

// Messages.

// `text` as it may be quoted in a message or drawn in a picture: printable
// UTF-8 stays, every other byte (a NUL, a control character, a byte that is
// not UTF-8) becomes an escape: \t \n \r or \xNN.
std::string printable(std::string_view text);

// An item of the input (a word of a job stream, a field of a result file, a
// value given on the command line) as a message quotes it: its first 40
// bytes, printable, followed by "..." when it is longer, so that a word of a
// megabyte does not become a message of one.
std::string shortitem(std::string_view item);

// A message of the command line's parser with every run of more than 80
// characters without a blank cut to its first 40 and "...": the parser quotes
// the values it refuses whole.
std::string shortitems(std::string_view message);

// `text` as XML or HTML character data: printable (above), and the markup
// characters & < > " as entities.
std::string xmltext(std::string_view text);

// What a computation said on its console, on one line: runs of blanks and
// line breaks as one blank, cut after 300 characters. A message said more
// than once is given once, where first said, with its count
// ("Coefficient matrix is singular (1000 times)").
std::string oneline(const std::string& said);

// Numbers.

// The whole of `text` as a finite decimal number (a leading '+' allowed, as
// formatted stream input allows it), or nothing.
std::optional<double> parsenumber(std::string_view text);

// The whole of `text` as a whole number within int, or nothing.
std::optional<int> parseint(std::string_view text);

// `value` with `digits` significant digits in the shortest of fixed and
// exponent notation, as formeval writes its numbers.
std::string formatnumber(double value, int digits);

// `value` with `decimals` places after the point (none for a negative
// count; formatnumber's 17 digits beyond 17 places). A value that rounds to
// zero prints as 0, whatever its sign: "-0.00000" states a negative value
// that is not there.
std::string formatfixed(double value, int decimals);

// `value` in the shortest text that reads back as the same double.
std::string roundtrip(double value);

// `value` as the charts label it: with `digits` significant digits (1 to 15)
// as formatnumber writes them, after snapping it to the nearest multiple of
// the largest power of ten not above `resolution`, decimal halves rounded
// away from zero. Values that differ by rounding noise far below
// `resolution` (the last binary digits of their computation) so print alike,
// where formatnumber may print -1.17 and -1.18 for -1.175. Choose
// `resolution` far below the step of the digits printed; a resolution that
// is not positive and finite, or below the doubles' own resolution at
// `value`, snaps nothing finer than the doubles hold.
std::string formatlabel(double value, int digits, double resolution);

// Units.

// The unit in which deviations are printed and drawn: for a coordinate unit
// of mm (cm, m) micrometres, of um nanometres, of in microinches; for any
// other, the coordinate unit times the power of a thousand that puts
// `typical` between 0.1 and 100 of it. `factor` converts coordinate units.
// `coordinates` is the coordinate unit as named (defaultunit when none).
struct Subunit {
    std::string name;
    double factor = 1;
    std::string coordinates = defaultunit;
};
Subunit subunit(const std::string& unit, double typical);

// The name of an axis that carries a length in the coordinate unit `unit`:
// "x (mm)", or "x (coordinate units)" when none is named.
std::string withunit(const std::string& name, const std::string& unit);

// What a value is: a length (in the data's unit), relative (a scale error)
// or an angle (a squareness error, in radians).
enum class ValueKind { length, relative, angle };

// A number, optionally followed at once by a unit: lengths nm um µm mm cm m
// in uin µin (converted to `unit`, the data's unit, which must then be one
// of them), relative ppm ppb % um/m µm/m, angles rad mrad urad µrad um/m
// arcsec deg. Without a unit: the data's unit, a fraction, radians. Nothing,
// and `why`, for text that is no finite number or names a unit of another
// kind.
std::optional<double> parsevalue(std::string_view text, ValueKind kind, const std::string& unit,
                                 std::string& why);

// Whether `text` is the name of a unit above ("um", "ppm", "arcsec").
bool unitword(std::string_view text);

// Whether `text` reads as a value: a number, with or without a unit of any
// kind, or a unit alone.
bool readsasvalue(std::string_view text);

// Progress.

// Progress of a long job on standard error: a line rewritten in place on a
// terminal, one line per tenth of the work otherwise. With `items` named
// ("records"), it counts them; otherwise it shows the percentage only.
class Progress {
  public:
    Progress(std::ostream& out, std::string what, std::uintmax_t total, bool enabled,
             std::string items = "");
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;
    void update(std::uintmax_t done);
    void finish();

  private:
    std::ostream& out_;
    std::string what_;
    std::string items_;
    std::uintmax_t total_;
    bool enabled_;
    bool terminal_;
    int shown_ = -1; // last percentage (terminal) or tenth (otherwise) shown
    bool finished_ = false;
};

// Inputs at least this large show progress unless told otherwise.
constexpr std::uintmax_t progressbytes = 4u << 20;
// Most bytes of a header file (a page's "label: value" lines) and of an
// uncertainty model file (its contributions): more is not such a file.
constexpr std::uintmax_t maxheaderbytes = 64u << 10;
constexpr std::uintmax_t maxmodelbytes = 1u << 20;
constexpr long progressrecords = 20;

// How progress is reported: by the input's size, always or never.
enum class ProgressMode { automatic, always, never };

// Exit statuses.
constexpr int exitok = 0;
constexpr int exitinput = 1; // input unreadable or malformed, output not writable
constexpr int exitusage = 2; // command line wrong

// Whether all that was written to `out` (the standard output) reached it;
// says on `err` when not, with the reason errno gives: clear errno before
// writing.
bool outputwritten(std::ostream& out, std::ostream& err);

// Makes a new empty file beside `path`, named after it ("PATH.part-" and six
// letters), with the mode a new file of the process gets (0666 less the
// umask), for writing whole and then renaming to `path`; its name, or ""
// when none can be made (errno says why).
std::string newfilebeside(const std::string& path);

// The file a write to `path` replaces: `path` itself, or where a symbolic
// link there leads (so that the link stays and its file is written). ""
// with `why` set when what is there is not a regular file (a directory, a
// device, a pipe, a link to nothing), which no output may replace.
std::string writtenfile(const std::string& path, std::string& why);

// Why `output` may not be written by a command reading `inputs`: it is
// standard output ("-"), not a regular file, or one of the inputs (the same
// file after links are followed); "" when it may.
std::string outputrefusal(const std::string& output, const std::vector<std::string>& inputs);

// Why `path` cannot be read as an input file, or "" when it can be opened
// (a regular file, or nothing there, which opening then reports): a
// directory, or a pipe, device or socket, which could block or never end.
// With `limit` > 0, also a file of more bytes than that.
std::string unreadable(const std::string& path, std::uintmax_t limit = 0);

// The lines of a report's header file: "label: value" each, trimmed of
// blanks; `#` comment lines and blank lines passed over, a CR before a
// line's LF dropped. Throws FileError with the line of one that has no
// colon.
std::vector<std::pair<std::string, std::string>> readheaderfile(std::istream& in,
                                                                const std::string& file);

// Why a text file beginning with `head` (its first bytes, four or more where
// the file has them) is not text formreport reads: UTF-16 or UTF-32, by its
// byte-order mark or by the zero bytes between ASCII characters; "" for
// anything else (ASCII, UTF-8, with or without its mark).
std::string encodingrefusal(std::string_view head);

// The same of the text `in` is about to read: its first bytes are read and
// `in` is put back at its start.
std::string encodingrefusal(std::istream& in);

// Why the charts of `inputs` cannot share one directory: two of them, not
// the same file, have the same stem ("A/part.csv" and "B/part.txt"), which
// names their charts; "" when none do.
std::string stemclash(const std::vector<std::string>& inputs);

// An SVG picture with its paths' data made small for a page of many
// pictures: every number to a tenth of a drawing unit (far below what a
// screen or a printer shows), and the line-tos of a path of lines as steps
// from one point to the next. Path data it cannot read is left as it is.
std::string compactpaths(const std::string& svg);

// Repetitions of a whole study: 1000, 10 000 or 100 000 (Monte Carlo), 10 000
// (sampling).
constexpr std::array<long, 3> studylengths = {1000, 10000, 100000};

} // namespace formeval::report
