#pragma once

#include <QPointF>

#include <vector>

// Control points of a cubic Bezier from the first to the last of a run of
// points that passes near the points between them (the guide points).
struct CurveControls {
    QPointF c1;
    QPointF c2;
};

// Sum over the guide points q[1..m-1] of the squared distance to the nearest
// point of the cubic q[0], c1, c2, q[m], found by sampling the curve and then
// refining with secant steps on (B(t) - G) . B'(t).
double CurveFitError(const std::vector<QPointF>& q, const QPointF& c1, const QPointF& c2);

// Fits the cubic through q[0] .. q[m] (m >= 2): starts from the tangents at the
// ends (c1 = 2 q1 - q0, c2 = 2 q[m-1] - q[m]) and improves c1.x, c1.y, c2.x,
// c2.y one after another, twice over, by stepping each away from or toward its
// end point while the error falls. With fewer than three points the controls
// are the end points (a straight line).
CurveControls FitCurveRun(const std::vector<QPointF>& q);
