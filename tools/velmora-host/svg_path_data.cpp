// SVG path data and transform lists, as drawing programs write them.
#include <charconv>
#include <cmath>
#include <numbers>

#include "tools/velmora-host/guide_import.h"

namespace velmora::cli {

Affine operator*(const Affine& m, const Affine& n) {
    return Affine{m.a * n.a + m.c * n.b,       m.b * n.a + m.d * n.b,
                  m.a * n.c + m.c * n.d,       m.b * n.c + m.d * n.d,
                  m.a * n.e + m.c * n.f + m.e, m.b * n.e + m.d * n.f + m.f};
}

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Numbers and flags of path data and transform lists, separated by white
// space and at most one comma, or by nothing where a sign or a second point
// starts the next number ("M-5-5", "0.5.5").
class Scanner {
public:
    explicit Scanner(std::string_view t) : t_(t) {}

    void SkipSeparators() {
        while (pos_ < t_.size() && (IsSpace(t_[pos_]) || t_[pos_] == ',')) ++pos_;
    }
    bool AtEnd() {
        SkipSeparators();
        return pos_ >= t_.size();
    }
    char Peek() const { return pos_ < t_.size() ? t_[pos_] : '\0'; }
    void Skip() { ++pos_; }
    size_t position() const { return pos_; }

    bool AtNumber() {
        SkipSeparators();
        const char c = Peek();
        return IsDigit(c) || c == '-' || c == '+' || c == '.';
    }

    bool Number(double& v) {
        SkipSeparators();
        size_t p = pos_;
        if (p < t_.size() && (t_[p] == '+' || t_[p] == '-')) ++p;
        const size_t digitsStart = p;
        while (p < t_.size() && IsDigit(t_[p])) ++p;
        size_t digits = p - digitsStart;
        if (p < t_.size() && t_[p] == '.') {
            ++p;
            const size_t fraction = p;
            while (p < t_.size() && IsDigit(t_[p])) ++p;
            digits += p - fraction;
        }
        if (digits == 0) return false;
        if (p < t_.size() && (t_[p] == 'e' || t_[p] == 'E')) {
            size_t q = p + 1;
            if (q < t_.size() && (t_[q] == '+' || t_[q] == '-')) ++q;
            if (q < t_.size() && IsDigit(t_[q])) {
                while (q < t_.size() && IsDigit(t_[q])) ++q;
                p = q;
            }
        }
        const char* first = t_.data() + pos_ + (t_[pos_] == '+' ? 1 : 0);
        const auto [end, ec] = std::from_chars(first, t_.data() + p, v);
        if (ec != std::errc() || end != t_.data() + p || !std::isfinite(v)) return false;
        pos_ = p;
        return true;
    }

    // An arc flag: one "0" or "1", which needs no separator after it.
    bool Flag(bool& v) {
        SkipSeparators();
        if (Peek() != '0' && Peek() != '1') return false;
        v = Peek() == '1';
        ++pos_;
        return true;
    }

private:
    std::string_view t_;
    size_t pos_ = 0;
};

// How many numbers each command takes.
int Arity(char upper) {
    switch (upper) {
        case 'M': case 'L': case 'T': return 2;
        case 'H': case 'V': return 1;
        case 'C': return 6;
        case 'S': case 'Q': return 4;
        case 'A': return 7;
        case 'Z': return 0;
        default: return -1;
    }
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

class PathBuilder {
public:
    explicit PathBuilder(std::vector<GuideCommand>& out) : out_(out) {}

    void Move(GuidePoint p) {
        out_.push_back({'M', {p}});
        current_ = start_ = p;
        last_ = 'M';
    }
    void Line(GuidePoint p) {
        out_.push_back({'L', {p}});
        current_ = p;
        last_ = 'L';
    }
    void Cubic(GuidePoint c1, GuidePoint c2, GuidePoint p) {
        out_.push_back({'C', {c1, c2, p}});
        control_ = c2;
        current_ = p;
        last_ = 'C';
    }
    void Quad(GuidePoint c, GuidePoint p) {
        out_.push_back({'Q', {c, p}});
        control_ = c;
        current_ = p;
        last_ = 'Q';
    }
    void Close() {
        if (current_.x != start_.x || current_.y != start_.y) out_.push_back({'L', {start_}});
        current_ = start_;
        last_ = 'Z';
    }
    // The control point a smooth curve reflects: the previous curve's, or
    // the current point when the previous command was no curve of its kind.
    GuidePoint Reflected(char kind) const {
        if (last_ != kind) return current_;
        return {2 * current_.x - control_.x, 2 * current_.y - control_.y};
    }
    void Arc(double rx, double ry, double degrees, bool large, bool sweep, GuidePoint to);

    GuidePoint current() const { return current_; }

private:
    std::vector<GuideCommand>& out_;
    GuidePoint current_{}, start_{}, control_{};
    char last_ = 0;
};

// The elliptical arc from the current point by its centre form, in cubic
// curves of at most a quarter turn each.
void PathBuilder::Arc(double rx, double ry, double degrees, bool large, bool sweep, GuidePoint to) {
    const GuidePoint from = current_;
    if (from.x == to.x && from.y == to.y) return;
    rx = std::fabs(rx);
    ry = std::fabs(ry);
    if (rx == 0 || ry == 0) {
        Line(to);
        return;
    }
    const double phi = degrees * std::numbers::pi / 180.0;
    const double cosPhi = std::cos(phi), sinPhi = std::sin(phi);
    const double dx = (from.x - to.x) / 2, dy = (from.y - to.y) / 2;
    const double x1 = cosPhi * dx + sinPhi * dy, y1 = -sinPhi * dx + cosPhi * dy;
    const double lambda = (x1 * x1) / (rx * rx) + (y1 * y1) / (ry * ry);
    if (lambda > 1) {
        rx *= std::sqrt(lambda);
        ry *= std::sqrt(lambda);
    }
    const double num = rx * rx * ry * ry - rx * rx * y1 * y1 - ry * ry * x1 * x1;
    const double den = rx * rx * y1 * y1 + ry * ry * x1 * x1;
    double coef = den > 0 ? std::sqrt(std::max(0.0, num / den)) : 0.0;
    if (large == sweep) coef = -coef;
    const double cxp = coef * rx * y1 / ry, cyp = -coef * ry * x1 / rx;
    const double cx = cosPhi * cxp - sinPhi * cyp + (from.x + to.x) / 2;
    const double cy = sinPhi * cxp + cosPhi * cyp + (from.y + to.y) / 2;
    auto angle = [](double ux, double uy, double vx, double vy) {
        return std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
    };
    const double theta1 = angle(1, 0, (x1 - cxp) / rx, (y1 - cyp) / ry);
    double delta = angle((x1 - cxp) / rx, (y1 - cyp) / ry, (-x1 - cxp) / rx, (-y1 - cyp) / ry);
    if (!sweep && delta > 0) delta -= 2 * std::numbers::pi;
    if (sweep && delta < 0) delta += 2 * std::numbers::pi;
    // Radii or points too large for the centre form: the chord stands in.
    if (!std::isfinite(delta) || !std::isfinite(cx) || !std::isfinite(cy)) {
        Line(to);
        return;
    }

    const int pieces = std::max(1, int(std::ceil(std::fabs(delta) / (std::numbers::pi / 2) - 1e-9)));
    const double step = delta / pieces;
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    auto point = [&](double t) {
        return GuidePoint{cx + rx * cosPhi * std::cos(t) - ry * sinPhi * std::sin(t),
                          cy + rx * sinPhi * std::cos(t) + ry * cosPhi * std::sin(t)};
    };
    auto tangent = [&](double t) {
        return GuidePoint{-rx * cosPhi * std::sin(t) - ry * sinPhi * std::cos(t),
                          -rx * sinPhi * std::sin(t) + ry * cosPhi * std::cos(t)};
    };
    GuidePoint p0 = from;
    for (int i = 0; i < pieces; ++i) {
        const double t0 = theta1 + step * i, t1 = theta1 + step * (i + 1);
        const GuidePoint d0 = tangent(t0), d1 = tangent(t1);
        const GuidePoint p1 = i + 1 == pieces ? to : point(t1);
        Cubic({p0.x + k * d0.x, p0.y + k * d0.y}, {p1.x - k * d1.x, p1.y - k * d1.y}, p1);
        p0 = p1;
    }
}

std::string At(size_t position) { return " at character " + std::to_string(position + 1); }

}  // namespace

bool ParsePathData(std::string_view data, std::vector<GuideCommand>& commands, std::string& error) {
    commands.clear();
    PathBuilder path(commands);
    Scanner s(data);
    char command = 0;
    while (!s.AtEnd()) {
        const size_t at = s.position();
        const char c = s.Peek();
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            if (Arity(Upper(c)) < 0) {
                error = std::string("unknown command \"") + c + "\"" + At(at);
                return false;
            }
            if (command == 0 && Upper(c) != 'M') {
                error = std::string("the path data starts with \"") + c + "\", not with a move (M)";
                return false;
            }
            s.Skip();
            command = c;
            if (Upper(c) == 'Z') {
                path.Close();
                continue;
            }
        } else if (command == 0) {
            error = "the path data starts with a number, not with a move (M)";
            return false;
        } else if (Upper(command) == 'Z') {
            error = "numbers after a close (Z)" + At(at);
            return false;
        }
        // One set of the command's numbers (repeated sets need no letter).
        const char upper = Upper(command);
        const bool relative = command != upper;
        const GuidePoint o = relative ? path.current() : GuidePoint{};
        double v[7] = {};
        bool large = false, sweep = false;
        bool ok = true;
        for (int i = 0; i < Arity(upper) && ok; ++i) {
            ok = (upper == 'A' && (i == 3 || i == 4)) ? s.Flag(i == 3 ? large : sweep)
                                                      : s.Number(v[i]);
        }
        if (!ok) {
            error = std::string("\"") + command + "\" needs " + std::to_string(Arity(upper)) +
                    (upper == 'A' ? " values (radii, angle, two flags 0 or 1, point)" : " numbers") +
                    At(s.position());
            return false;
        }
        switch (upper) {
            case 'M':
                path.Move({o.x + v[0], o.y + v[1]});
                command = relative ? 'l' : 'L';  // further pairs draw lines
                break;
            case 'L': path.Line({o.x + v[0], o.y + v[1]}); break;
            case 'H': path.Line({o.x + v[0], path.current().y}); break;
            case 'V': path.Line({path.current().x, o.y + v[0]}); break;
            case 'C':
                path.Cubic({o.x + v[0], o.y + v[1]}, {o.x + v[2], o.y + v[3]},
                           {o.x + v[4], o.y + v[5]});
                break;
            case 'S':
                path.Cubic(path.Reflected('C'), {o.x + v[0], o.y + v[1]}, {o.x + v[2], o.y + v[3]});
                break;
            case 'Q': path.Quad({o.x + v[0], o.y + v[1]}, {o.x + v[2], o.y + v[3]}); break;
            case 'T': path.Quad(path.Reflected('Q'), {o.x + v[0], o.y + v[1]}); break;
            case 'A': path.Arc(v[0], v[1], v[2], large, sweep, {o.x + v[5], o.y + v[6]}); break;
            default: break;
        }
    }
    return true;
}

bool ParseTransformList(std::string_view text, Affine& transform, std::string& error) {
    transform = Affine{};
    Scanner s(text);
    while (!s.AtEnd()) {
        std::string name;
        while ((s.Peek() >= 'a' && s.Peek() <= 'z') || (s.Peek() >= 'A' && s.Peek() <= 'Z')) {
            name += s.Peek();
            s.Skip();
        }
        while (IsSpace(s.Peek())) s.Skip();
        if (name.empty() || s.Peek() != '(') {
            error = "cannot read the transform \"" + std::string(text) + "\"";
            return false;
        }
        s.Skip();
        std::vector<double> n;
        double v = 0;
        while (s.AtNumber() && s.Number(v)) n.push_back(v);
        s.SkipSeparators();
        if (s.Peek() != ')') {
            error = "cannot read the transform \"" + std::string(text) + "\"";
            return false;
        }
        s.Skip();
        const double rad = n.empty() ? 0.0 : n[0] * std::numbers::pi / 180.0;
        Affine t;
        const size_t k = n.size();
        if (name == "matrix" && k == 6) t = Affine{n[0], n[1], n[2], n[3], n[4], n[5]};
        else if (name == "translate" && (k == 1 || k == 2)) t = Affine{1, 0, 0, 1, n[0], k == 2 ? n[1] : 0};
        else if (name == "scale" && (k == 1 || k == 2)) t = Affine{n[0], 0, 0, k == 2 ? n[1] : n[0], 0, 0};
        else if (name == "rotate" && (k == 1 || k == 3)) {
            const Affine r{std::cos(rad), std::sin(rad), -std::sin(rad), std::cos(rad), 0, 0};
            t = k == 3 ? Affine{1, 0, 0, 1, n[1], n[2]} * r * Affine{1, 0, 0, 1, -n[1], -n[2]} : r;
        } else if (name == "skewX" && k == 1) t = Affine{1, 0, std::tan(rad), 1, 0, 0};
        else if (name == "skewY" && k == 1) t = Affine{1, std::tan(rad), 0, 1, 0, 0};
        else {
            error = "cannot read the transform \"" + std::string(text) + "\" (" + name + " with " +
                    std::to_string(k) + " numbers)";
            return false;
        }
        transform = transform * t;
    }
    return true;
}

}  // namespace velmora::cli
