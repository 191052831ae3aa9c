#include "skin/FitCurveRun.h"

#include <algorithm>
#include <cmath>

namespace {

// The cubic written over t in [-1, 1] (s = (t + 1) / 2 in the usual form) as
// c0 + c1 t + c2 t^2 + c3 t^3.
struct Cubic {
    QPointF k0, k1, k2, k3;

    Cubic(const QPointF& p0, const QPointF& a, const QPointF& b, const QPointF& p3)
        : k0((p0 + 3 * a + 3 * b + p3) / 8)
        , k1((-3 * p0 - 3 * a + 3 * b + 3 * p3) / 8)
        , k2((3 * p0 - 3 * a - 3 * b + 3 * p3) / 8)
        , k3((-p0 + 3 * a - 3 * b + p3) / 8)
    {
    }

    QPointF At(double t) const { return k0 + t * (k1 + t * (k2 + t * k3)); }
    QPointF Slope(double t) const { return k1 + t * (2 * k2 + 3 * t * k3); }
};

struct Probe {
    double d; // (B(t) - G) . B'(t): zero where the distance has a stationary point
    double s; // |B(t) - G|^2
};

Probe ProbeAt(const Cubic& curve, const QPointF& guide, double t)
{
    const QPointF offset = curve.At(t) - guide;
    const QPointF slope = curve.Slope(t);
    return {offset.x() * slope.x() + offset.y() * slope.y(),
            offset.x() * offset.x() + offset.y() * offset.y()};
}

// The secant search converges in a handful of steps on these small curves; the
// cap only guards against a pathological oscillation.
constexpr int kMaxSecantSteps = 64;
// Likewise for the coordinate search, which otherwise ends when its step
// factor has shrunk below 0.01.
constexpr int kMaxCoordinateSteps = 256;

double SquaredDistanceToCurve(const Cubic& curve, const QPointF& guide, double h)
{
    double bestT = -1.0;
    Probe best = ProbeAt(curve, guide, bestT);
    if (best.d != 0.0) {
        for (int i = 1;; ++i) {
            const double t = -1.0 + i * h;
            if (t > 1.01)
                break;
            const Probe probe = ProbeAt(curve, guide, t);
            if (probe.d == 0.0) {
                bestT = t;
                best = probe;
                break;
            }
            if (probe.s < best.s) {
                bestT = t;
                best = probe;
            }
        }
    }
    if (best.s == 0.0)
        return 0.0;

    double tOld = bestT;
    double dOld = best.d;
    double tNew = bestT + h > 1.0 ? 1.0 - h : bestT + h;
    Probe last = best;
    for (int step = 0; step < kMaxSecantSteps; ++step) {
        last = ProbeAt(curve, guide, tNew);
        if (last.s == 0.0 || last.d == 0.0)
            break;
        double next = last.d == dOld ? (tOld + tNew) / 2 : (last.d * tOld - dOld * tNew) / (last.d - dOld);
        next = std::clamp(next, -1.0, 1.0);
        if (std::fabs(next - tNew) < 0.001)
            break;
        tOld = tNew;
        dOld = last.d;
        tNew = next;
    }
    return last.s;
}

} // namespace

double CurveFitError(const std::vector<QPointF>& q, const QPointF& c1, const QPointF& c2)
{
    if (q.size() < 3)
        return 0.0;
    const std::size_t m = q.size() - 1;
    const Cubic curve(q.front(), c1, c2, q.back());
    const double h = 1.0 / double(m + 1);
    double error = 0.0;
    for (std::size_t i = 1; i < m; ++i)
        error += SquaredDistanceToCurve(curve, q[i], h);
    return error;
}

CurveControls FitCurveRun(const std::vector<QPointF>& q)
{
    if (q.size() < 3) {
        if (q.empty())
            return {};
        return {q.front(), q.back()};
    }
    const std::size_t m = q.size() - 1;
    CurveControls controls{2 * q[1] - q[0], 2 * q[m - 1] - q[m]};
    double best = CurveFitError(q, controls.c1, controls.c2);

    for (int pass = 0; pass < 2; ++pass) {
        for (int coordinate = 0; coordinate < 4; ++coordinate) {
            QPointF& point = coordinate < 2 ? controls.c1 : controls.c2;
            const QPointF& anchorPoint = coordinate < 2 ? q.front() : q.back();
            const bool isX = coordinate % 2 == 0;
            qreal& value = isX ? point.rx() : point.ry();
            const double anchor = isX ? anchorPoint.x() : anchorPoint.y();
            double factor = 0.5;
            for (int step = 0; step < kMaxCoordinateSteps && std::fabs(factor) >= 0.01; ++step) {
                const double kept = value;
                value = kept + (kept - anchor) * factor;
                const double error = CurveFitError(q, controls.c1, controls.c2);
                if (error == best)
                    break;
                if (error > best) {
                    value = kept;
                    factor = -factor / 3;
                } else {
                    best = error;
                }
            }
        }
    }
    return controls;
}
