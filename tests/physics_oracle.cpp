// physics_oracle.cpp: the sheet dynamics written out stage by stage, loops in
// the documented order, every vector operation spelled out on components.
#include "physics_oracle.h"

#include <cmath>
#include <cstring>

OracleHits oracle_hits;

namespace {

struct V {
    double x, y, z;
};
V v(const Vec3& a) { return {a.x, a.y, a.z}; }
Vec3 w(V a) { return {a.x, a.y, a.z}; }
V add(V a, V b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V sub(V a, V b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V mul(V a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double len(V a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }
V unit(V a) {
    double l = len(a);
    return l == 0 ? a : mul(a, 1.0 / l);
}
bool pinned(const Particle& p) { return (p.flags & 2) != 0; }

struct Ctx {
    OracleSheet& o;
    Particle& at(int i, int j) { return o.particles[i * o.columns + j]; }
    void set_normal(int i, int j, V n) { at(i, j).normal = w(n); }
    V normal(int i, int j) { return v(at(i, j).normal); }
};

void normals(Ctx c) {
    int R = c.o.rows, S = c.o.columns;
    for (int i = 1; i <= R - 1; i++)
        for (int j = 0; j <= S - 1; j++) {
            V d = sub(v(c.at(i - 1, j).position), v(c.at(i, j).position));
            c.set_normal(i, j, unit({-d.y, d.z, (double)(float)d.x}));
        }
    for (int i = 1; i <= R - 2; i++) c.set_normal(i, 0, c.normal(i, 1));
    for (int i = 1; i <= R - 2; i++) c.set_normal(i, S - 1, c.normal(i, S - 2));
    for (int j = 1; j <= S - 2; j++) c.set_normal(0, j, c.normal(1, j));
    for (int j = 1; j <= S - 2; j++) c.set_normal(R - 1, j, c.normal(R - 2, j));
    c.set_normal(0, 0, unit(add(c.normal(0, 1), c.normal(1, 0))));
    c.set_normal(0, S - 1, unit(add(c.normal(1, S - 1), c.normal(0, S - 2))));
    c.set_normal(R - 1, S - 1, unit(add(c.normal(R - 2, S - 1), c.normal(R - 1, S - 2))));
    c.set_normal(R - 1, 0, unit(add(c.normal(R - 2, 0), c.normal(R - 1, 1))));
}

void forces(Ctx c) {
    OracleSheet& o = c.o;
    for (Particle& p : o.particles)
        if (!pinned(p)) p.force = w(mul(V{0, 0, 0}, p.mass));
    for (const OracleSpring& s : o.springs) {
        Particle& a = o.particles[s.a];
        Particle& b = o.particles[s.b];
        V d = sub(v(a.position), v(b.position));
        V dv = sub(v(a.velocity), v(b.velocity));
        double l = len(d);
        if (l == 0) continue;
        float f = (float)((dot(dv, d) * s.damping) / l + (l - s.rest_length) * s.stiffness);
        V F = mul(mul(d, 1.0 / l), f);
        b.force = w(add(v(b.force), F));
        a.force = w(add(v(a.force), mul(F, -1)));
    }
    normals(c);
    for (int j = 0; j < o.columns; j++)
        for (int i = 0; i < o.rows; i++) {
            Particle& p = c.at(i, j);
            if (pinned(p)) continue;
            V wind = mul(unit(v(p.position)), 0.04);
            V n = v(p.normal);
            p.force = w(add(v(p.force), mul(n, dot(n, sub(wind, v(p.velocity))))));
        }
    for (int j = 0; j < o.columns; j++)
        for (int i = 0; i < o.rows; i++) {
            Particle& p = c.at(i, j);
            if (pinned(p)) continue;
            if (len(v(p.position)) < (double)0.1f) {
                oracle_hits.hard_core++;
                p.position = w(mul(unit(v(p.position)), (double)0.2f));
                p.velocity = w(mul(v(p.velocity), -1));
            }
        }
}

void core_push(Ctx c) {
    for (int i = 0; i < c.o.rows; i++)
        for (int j = 0; j < c.o.columns; j++) {
            Particle& p = c.at(i, j);
            if (pinned(p) || !(len(v(p.position)) < (double)0.2f)) continue;
            oracle_hits.core_push++;
            p.force = w(add(v(p.force), mul(mul(mul(unit(v(p.position)), (double)0.2f), 1.02), 1.2)));
        }
}

void first_stage(Ctx c, float dt) {
    for (int j = 0; j < c.o.columns; j++)
        for (int i = 0; i < c.o.rows; i++) {
            Particle& p = c.at(i, j);
            if (pinned(p)) continue;
            V X = v(p.position), Vel = v(p.velocity);
            V a = mul(v(p.force), 1.0 / p.mass);
            V k = mul(a, dt);
            V m = mul(add(Vel, mul(k, 0.5)), dt);
            p.velocity = w(add(Vel, mul(k, 0.5)));
            p.saved_velocity = w(Vel);
            p.position = w(add(X, mul(m, 0.5)));
            p.saved_position = w(X);
        }
}

void second_stage(Ctx c, float dt) {
    for (int j = 0; j < c.o.columns; j++)
        for (int i = 0; i < c.o.rows; i++) {
            Particle& p = c.at(i, j);
            if (pinned(p)) continue;
            V a = mul(v(p.force), 1.0 / p.mass);
            V vel = add(v(p.saved_velocity), mul(a, dt));
            p.velocity = w(vel);
            p.position = w(add(v(p.saved_position), mul(vel, dt)));
        }
}

void stretch(OracleSheet& o) {
    for (const OracleSpring& s : o.springs) {
        Particle& a = o.particles[s.a];
        Particle& b = o.particles[s.b];
        V d = sub(v(b.position), v(a.position));
        double l = len(d);
        double e = l - s.rest_length;
        float tf = s.rest_length * (float)o.percent;
        double t = tf / 100.0;
        if (!(e > t)) continue;
        oracle_hits.stretched++;
        if (pinned(a) || pinned(b)) oracle_hits.pinned_stretch++;
        double over = l - (t + s.rest_length);
        V h = mul(unit(d), over * 0.5);
        if (!pinned(a)) a.position = w(add(v(a.position), h));
        if (!pinned(b)) b.position = w(sub(v(b.position), h));
    }
}

}  // namespace

OracleSheet oracle_copy(const ClothSheet& s) {
    OracleSheet o;
    o.rows = s.rows;
    o.columns = s.columns;
    o.particles = s.particles;
    o.rest = s.rest_state;
    for (const Spring& sp : s.springs)
        o.springs.push_back({(int)(sp.a - s.particles.data()), (int)(sp.b - s.particles.data()), sp.stiffness,
                             sp.damping, sp.rest_length});
    oracle_take_inputs(o, s);
    return o;
}

void oracle_take_inputs(OracleSheet& o, const ClothSheet& s) {
    o.percent = s.stretch_percent;
    o.offset = s.anchor_offset;
    o.spin = s.anchor_spin;
    o.tilt = s.anchor_tilt;
    for (size_t k = 0; k < o.particles.size(); k++) {
        o.particles[k].flags = s.particles[k].flags;
        o.rest[k].flags = s.rest_state[k].flags;
    }
}

void oracle_step(OracleSheet& o, float dt) {
    Ctx c{o};
    forces(c);
    core_push(c);
    first_stage(c, dt);
    stretch(o);
    forces(c);
    core_push(c);
    second_stage(c, dt);
    stretch(o);
}

void oracle_place_roots(OracleSheet& o) {
    float cs = (float)std::cos((double)o.spin), ss = (float)std::sin((double)o.spin);
    float ct = (float)std::cos((double)o.tilt), st = (float)std::sin((double)o.tilt);
    for (int i = 0; i < o.rows; i++)
        for (int j = 0; j < o.columns; j++) {
            int k = i * o.columns + j;
            Particle& p = o.particles[k];
            if (!pinned(p) || i > 1) continue;
            p = o.rest[k];
            float x = (float)p.position.x, y = (float)p.position.y, z = (float)p.position.z;
            float x1 = cs * x - ss * y;
            float y1 = ss * x + cs * y;
            float z2 = ct * z - st * x1;
            float x2 = ct * x1 + st * z;
            float y3 = ct * y1 - st * z2;
            float z3 = st * y1 + ct * z2;
            p.position = {(double)(float)((double)x2 + o.offset.x), (double)(float)((double)y3 + o.offset.y),
                          (double)(float)((double)z3 + o.offset.z)};
        }
}

int oracle_first_difference(const OracleSheet& o, const ClothSheet& s) {
    for (size_t k = 0; k < o.particles.size(); k++) {
        const Particle& a = o.particles[k];
        const Particle& b = s.particles[k];
        const Vec3* fa[] = {&a.position, &a.velocity,       &a.force,
                            &a.normal,   &a.saved_position, &a.saved_velocity};
        const Vec3* fb[] = {&b.position, &b.velocity,       &b.force,
                            &b.normal,   &b.saved_position, &b.saved_velocity};
        bool same = a.flags == b.flags && std::memcmp(&a.mass, &b.mass, sizeof a.mass) == 0;
        for (int f = 0; f < 6 && same; f++) same = std::memcmp(fa[f], fb[f], sizeof(Vec3)) == 0;
        if (!same) return (int)k;
    }
    return -1;
}
