#pragma once
// A plain, independent model of the water step, written straight from the
// rules with full three-component vectors and pool-order pairing. The tests run
// it side by side with the box and compare every frame to the bit; the
// benchmark runs it beside the box to measure what the box's own loops gain.

#include "game/water/VaporelBoxUnit.h"

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace reference {

struct Vec {
    double x = 0, y = 0, z = 0;
};

struct RefParticle {
    Vec pos, vel, prev;
    bool active = false, exited = false;
    int kind = 0;
};

struct Params {
    int radius = 0;
    double maxVelocity = 0, gravity = 0, decay = 0, shake = 0, swap = 0;
    int pool = 0, blue = 0, clear = 0, end = 0;
};

class ReferenceBox {
public:
    std::vector<RefParticle> pool;
    int type[65][49] = {};
    int count[65][49] = {};
    int entries[65][49][100] = {};
    Params p;
    int checks = 0, hits = 0, cursor = 0, blueOut = 0, etcOut = 0, state = 0, timer = 0;
    bool finished = false;
    std::uint32_t seed = 0;
    int leftMap = 0; // particles switched off by a sample off the map

    double Real() {
        seed = seed * 134775813u + 1u;
        return seed * (1.0 / 4294967296.0);
    }
    std::uint32_t Int(std::uint32_t n) {
        seed = seed * 134775813u + 1u;
        return static_cast<std::uint32_t>((std::uint64_t(n) * seed) >> 32);
    }

    void Reset() {
        pool.resize(p.pool);
        for (int i = 0; i < p.pool; ++i) {
            pool[i].active = pool[i].exited = false;
            pool[i].kind = i < p.blue ? 0 : 1;
        }
        for (int i = p.pool - 1; i >= 0; --i)
            std::swap(pool[i], pool[Int(i + 1)]);
        cursor = blueOut = etcOut = timer = state = 0;
        for (auto& c : count)
            for (int& n : c)
                n = 0;
    }

    bool Add(int x, int y) {
        const int n = static_cast<int>(pool.size());
        for (int k = 0; k < n; ++k) {
            RefParticle& q = pool[(k + cursor) % n];
            if (!q.active && !q.exited) {
                q.active = true;
                q.pos = {double(x), double(y), 0};
                q.prev = q.pos;
                q.vel = {};
                ++cursor;
                return true;
            }
        }
        return false;
    }

    static bool Cell(double x, double y, int& c, int& r) {
        if (!(x > -16 && x < 1040 && y > -16 && y < 784))
            return false;
        c = int(x) / 16;
        r = int(y) / 16;
        return true;
    }

    static double Length(const Vec& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

    void MakeMap() {
        for (auto& c : count)
            for (int& n : c)
                n = 0;
        const double r = p.radius;
        for (int i = 0; i < int(pool.size()); ++i) {
            if (!pool[i].active)
                continue;
            const Vec& q = pool[i].pos;
            const double corners[4][2] = {
                {q.x - r, q.y - r}, {q.x + r, q.y - r}, {q.x - r, q.y + r}, {q.x + r, q.y + r}};
            for (const auto& corner : corners) {
                int c, w;
                if (!Cell(corner[0], corner[1], c, w))
                    continue;
                int& n = count[c][w];
                if (n >= 100 || (n > 0 && entries[c][w][n - 1] == i))
                    continue;
                entries[c][w][n++] = i;
            }
        }
    }

    void Pass() {
        for (int c = 0; c < 65; ++c)
            for (int w = 0; w < 49; ++w)
                for (int i = 0; i < count[c][w]; ++i)
                    for (int j = i + 1; j < count[c][w]; ++j) {
                        RefParticle& a = pool[entries[c][w][i]];
                        RefParticle& b = pool[entries[c][w][j]];
                        if (!a.active || !b.active)
                            continue;
                        ++checks;
                        Vec d{a.pos.x - b.pos.x, a.pos.y - b.pos.y, a.pos.z - b.pos.z};
                        const double d2 = d.x * d.x + d.y * d.y;
                        const int limit = (2 * p.radius) * (2 * p.radius);
                        if (!(d2 < limit))
                            continue;
                        ++hits;
                        Vec n{1, 0, 0};
                        if (d2 != 0) {
                            const double len = Length(d);
                            n = {d.x / len, d.y / len, d.z / len};
                        }
                        const double push = (2 * p.radius - std::sqrt(d2)) * 0.5;
                        const Vec m{n.x * push, n.y * push, n.z * push};
                        a.pos = {a.pos.x + m.x, a.pos.y + m.y, a.pos.z + m.z};
                        b.pos = {b.pos.x - m.x, b.pos.y - m.y, b.pos.z - m.z};
                    }
    }

    void MapCollision(RefParticle& q) {
        Vec last = q.prev;
        for (int k = 0; k < 4; ++k) {
            const double t = k / 3.0;
            const Vec s{q.pos.x * t + (1 - t) * q.prev.x, q.pos.y * t + (1 - t) * q.prev.y,
                        q.pos.z * t + (1 - t) * q.prev.z};
            int c, r;
            if (!Cell(s.x, s.y, c, r)) {
                q.active = false;
                ++leftMap;
                return;
            }
            const int kind = type[c][r];
            if (kind == ctBlock || kind == ctWall) {
                q.pos = last;
                return;
            }
            if (kind == ctOutlet) {
                q.active = false;
                q.exited = true;
                (q.kind == 0 ? blueOut : etcOut) += 1;
                return;
            }
            if (kind == ctDrain) {
                q.active = false;
                return;
            }
            last = s;
        }
    }

    void Velocity(RefParticle& q) {
        q.vel = {q.pos.x - q.prev.x, q.pos.y - q.prev.y, q.pos.z - q.prev.z};
        if (Length(q.vel) <= 1.0) {
            const double speed = Real() * p.shake;
            const double angle = Real() * 6.283185307179586;
            q.vel = {std::cos(angle) * speed, std::sin(angle) * speed, 0};
        }
        const double len = Length(q.vel);
        if (len >= p.maxVelocity && len != 0) {
            q.vel = {q.vel.x / len * p.maxVelocity, q.vel.y / len * p.maxVelocity,
                     q.vel.z / len * p.maxVelocity};
        }
        q.prev = q.pos;
    }

    void Swap(RefParticle& q) {
        if (Real() > p.swap)
            return;
        int c, r;
        if (!Cell(q.pos.x, q.pos.y, c, r) || r < 1 || q.kind == 0)
            return;
        if (type[c][r - 1] == ctBlock || type[c][r - 1] == ctWall)
            return;
        for (int i = 0; i < count[c][r - 1]; ++i) {
            RefParticle& o = pool[entries[c][r - 1][i]];
            if (o.kind == 0) {
                std::swap(q.pos, o.pos);
                return;
            }
        }
    }

    void Execute() {
        for (auto& q : pool)
            if (q.active) {
                q.vel = {q.vel.x * p.decay, q.vel.y * p.decay, q.vel.z * p.decay};
                q.pos = {q.pos.x + q.vel.x, q.pos.y + q.vel.y, q.pos.z + q.vel.z};
                q.pos.y += p.gravity;
            }
        checks = hits = 0;
        Pass();
        MakeMap();
        Pass();
        for (auto& q : pool)
            if (q.active)
                MapCollision(q);
        for (auto& q : pool)
            if (q.active) {
                if (q.pos.x - p.radius < 0)
                    q.pos.x = p.radius;
                if (q.pos.x + p.radius > 1024)
                    q.pos.x = 1024 - p.radius;
                if (q.pos.y - p.radius < 0)
                    q.pos.y = p.radius;
                if (q.pos.y + p.radius > 768)
                    q.pos.y = 768 - p.radius;
            }
        for (auto& q : pool)
            if (q.active)
                Velocity(q);
        MakeMap();
        for (auto& q : pool)
            if (q.active)
                Swap(q);
        MakeMap();
        for (int c = 0; c < 65; ++c)
            for (int r = 0; r < 49; ++r)
                if (type[c][r] == ctSource && count[c][r] == 0)
                    Add(c * 16 + 8, r * 16 + 8);
        if (etcOut >= p.end) {
            if (state != 2) {
                state = 2;
                timer = 0;
            }
        } else if (blueOut >= p.clear && state == 0) {
            state = 1;
            timer = 0;
        }
        ++timer;
        if (state != 0 && timer > 360)
            finished = true;
    }
};

// The stage a box has loaded (its parameters and cell types), given to the model.
inline void CopyStage(const TVaporelBox& box, ReferenceBox& ref) {
    ref.p = {
        box.Parameters().WaterRadius,          box.Parameters().WaterMaxVelocity,   box.Parameters().WaterGravity,     box.Parameters().WaterVelocityDecayRate,
        box.Parameters().WaterShakeVelocity,   box.Parameters().WaterSwapFrequency, box.Parameters().WaterParticleNum, box.Parameters().BlueWaterNum,
        box.Parameters().BlueWaterNumForClear, box.Parameters().EtcWaterNumForEnd};
    for (int column = 0; column < MapColumns; ++column)
        for (int row = 0; row < MapRows; ++row)
            ref.type[column][row] = box.Cells()[column][row].CellType;
}

} // namespace reference
