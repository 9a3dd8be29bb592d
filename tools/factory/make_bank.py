#!/usr/bin/env python3
"""First drafts of the factory bank from readable recipes.

Each preset is a family template (a voice a player would recognise: a bass, a brass section, a pad)
plus the few deliberate changes that make it itself, written in the units the editor shows (Hz, ms,
cents, semitones, decibels; enumerations by their index). The script turns them into complete patch
documents under resources/factory/<Folder>/<Name>.80p, with the patch volume of each preset taken from
levels.json beside this script (the level staging below).

What ships is the documents. After writing drafts, let the program save them as it saves any patch and
measure them:

    python3 tools/factory/make_bank.py write --build build
    build/tools/bankcheck/velmora-bankcheck --dir resources/factory --resave
    for n in 1 2 3; do
      build/tools/bankcheck/velmora-bankcheck --dir resources/factory --lanes $n --json /tmp/bank$n.json
    done
    python3 tools/factory/make_bank.py stage /tmp/bank?.json   # updates levels.json; then write again

"write" replaces every document under resources/factory: a preset edited in the program and copied
back there is kept only by not writing drafts over it again (or by folding the edit into its recipe).

Python 3 standard library only.
"""

import argparse
import json
import math
import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
BANK = os.path.join(REPO, "resources", "factory")
LEVELS = os.path.join(HERE, "levels.json")

# ---------------------------------------------------------------------------------------------------
# Keys and parameter indices (the document's key table).

PATCH_KEYS = [
    ("patch.keyMode", 3), ("patch.splitPoint", 4), ("patch.balance", 5), ("patch.octaveShift", 6),
    ("patch.assignMode", 7), ("patch.unisonDetune", 8), ("patch.holdMode", 9), ("patch.portamentoTime", 10),
    ("patch.bendRange", 11), ("patch.vco1BendMode", 12), ("patch.vco2BendMode", 13),
    ("patch.aftertouchSensitivity", 14), ("patch.lfo2Rate", 15), ("patch.lfo2Mode", 16),
    ("patch.lower.octaveShift", 170), ("patch.lower.assignMode", 171), ("patch.lower.unisonDetune", 172),
    ("patch.lower.holdMode", 173), ("patch.lower.portamentoTime", 174), ("patch.lower.bendRange", 175),
    ("patch.lower.vco1BendMode", 176), ("patch.lower.vco2BendMode", 177),
    ("patch.lower.aftertouchSensitivity", 178), ("patch.lower.lfo2Rate", 179), ("patch.lower.lfo2Mode", 180),
    ("patch.lfo2Sync", 185), ("patch.lfo2SyncDiv", 186), ("patch.lower.lfo2Sync", 187),
    ("patch.lower.lfo2SyncDiv", 188), ("patch.tune", 1), ("patch.dynamicsSens", 2), ("patch.volume", 168),
    ("patch.stereoMode", 169),
] + [("patch.fx%d.%s" % (n, "type" if k == 0 else "p%d" % (k - 1)), 117 + 9 * (n - 1) + k)
     for n in range(1, 6) for k in range(9)]

TONE_KEYS = ["rev.select", "keyFollow.vco", "keyFollow.vcoTarget", "vco1.modMode", "vco1.range", "vco1.wave",
             "vco2.modMode", "vco2.range", "vco2.wave", "vco2.fineTune", "vco.mix", "hpf.cutoff", "vcf.cutoff",
             "vcf.resonance", "vcf.envSelect", "vcf.envPolarity", "vcf.envAmount", "vcf.lfoAmount",
             "vcf.keyFollow", "vca.level", "vca.lfoAmount", "env1.attack", "env1.decay", "env1.sustain",
             "env1.release", "env1.keyFollow", "env1.dynamics", "env2.attack", "env2.decay", "env2.sustain",
             "env2.release", "env2.keyFollow", "env2.dynamics", "lfo1.rate", "lfo1.wave", "lfo1.delay",
             "vcoMod.lfoAmount", "vcoMod.env1Amount", "pwm.pulseWidth", "pwm.amount", "pwm.source",
             "pwm.polarity", "xmod.manual", "xmod.env1Amount", "xmod.polarity", "sync.mode", "dynamics.time",
             "dynamics.level", "eg.reset"]
TONE_INDEX = {k: 17 + i for i, k in enumerate(TONE_KEYS)}
TONE_INDEX["lfo1.sync"] = 181
TONE_INDEX["lfo1.syncDiv"] = 182
PATCH_INDEX = dict(PATCH_KEYS)

# Enumerations: key -> number of values (stored as index / (count - 1)).
ENUMS = {"patch.keyMode": 4, "patch.octaveShift": 5, "patch.assignMode": 5, "patch.holdMode": 3,
         "patch.vco1BendMode": 3, "patch.vco2BendMode": 3, "patch.lfo2Mode": 2, "patch.lower.octaveShift": 5,
         "patch.lower.assignMode": 5, "patch.lower.holdMode": 3, "patch.lower.vco1BendMode": 3,
         "patch.lower.vco2BendMode": 3, "patch.lower.lfo2Mode": 2, "patch.lfo2Sync": 2, "patch.lfo2SyncDiv": 22,
         "patch.lower.lfo2Sync": 2, "patch.lower.lfo2SyncDiv": 22, "patch.stereoMode": 2,
         "rev.select": 2, "keyFollow.vcoTarget": 3, "vco1.modMode": 3, "vco1.range": 5, "vco1.wave": 4,
         "vco2.modMode": 3, "vco2.range": 7, "vco2.wave": 4, "vcf.envSelect": 2, "vcf.envPolarity": 2,
         "env1.dynamics": 2, "env2.dynamics": 2, "lfo1.wave": 5, "pwm.source": 3, "pwm.polarity": 2,
         "xmod.polarity": 2, "sync.mode": 3, "eg.reset": 2, "lfo1.sync": 2, "lfo1.syncDiv": 22}
for n in range(1, 6):
    ENUMS["patch.fx%d.type" % n] = 16

# Effect slot parameters are stored as they are (0..1); these keys take normalized values directly.
RAW = {k for k, _ in PATCH_KEYS if ".fx" in k and not k.endswith(".type")}

# ---------------------------------------------------------------------------------------------------
# Real values to normalized ones, through the program's own curves.

CURVES = None


def load_curves(build):
    global CURVES
    cache = os.path.join(build, "factory-curves.json")
    tool = os.path.join(build, "tools", "bankcheck", "velmora-bankcheck")
    if not os.path.exists(cache) or os.path.getmtime(cache) < os.path.getmtime(tool):
        text = subprocess.run([tool, "--curves"], check=True, capture_output=True, text=True).stdout
        with open(cache, "w") as f:
            f.write(text)
    with open(cache) as f:
        CURVES = {int(k): v["values"] for k, v in json.load(f).items()}


def normalize(key, index, value):
    if key in ENUMS:
        count = ENUMS[key]
        if not 0 <= value < count:
            raise ValueError("%s: %r is not one of %d values" % (key, value, count))
        return value / (count - 1)
    if key in RAW:
        return min(1.0, max(0.0, float(value)))
    ys = CURVES[index]
    if value <= min(ys):
        return float(ys.index(min(ys))) / 1000.0
    if value >= max(ys):
        return float(ys.index(max(ys))) / 1000.0
    for i in range(1, len(ys)):
        a, b = ys[i - 1], ys[i]
        if (a <= value <= b or b <= value <= a) and a != b:
            return (i - 1 + (value - a) / (b - a)) / 1000.0
    return 0.0


# ---------------------------------------------------------------------------------------------------
# The recipe language: short names for the keys, in the editor's units.

TONE_ALIAS = {
    "kfv": "keyFollow.vco", "kft": "keyFollow.vcoTarget", "m1": "vco1.modMode", "r1": "vco1.range",
    "w1": "vco1.wave", "m2": "vco2.modMode", "r2": "vco2.range", "w2": "vco2.wave", "fine": "vco2.fineTune",
    "mix": "vco.mix", "hpf": "hpf.cutoff", "cut": "vcf.cutoff", "res": "vcf.resonance",
    "esel": "vcf.envSelect", "einv": "vcf.envPolarity", "env": "vcf.envAmount", "flfo": "vcf.lfoAmount",
    "fkf": "vcf.keyFollow", "lvl": "vca.level", "trem": "vca.lfoAmount", "kf1": "env1.keyFollow",
    "dyn1": "env1.dynamics", "kf2": "env2.keyFollow", "dyn2": "env2.dynamics", "lrate": "lfo1.rate",
    "lwave": "lfo1.wave", "ldelay": "lfo1.delay", "vib": "vcoMod.lfoAmount", "penv": "vcoMod.env1Amount",
    "pw": "pwm.pulseWidth", "pwm": "pwm.amount", "pwms": "pwm.source", "pwmp": "pwm.polarity",
    "xm": "xmod.manual", "xme": "xmod.env1Amount", "xmp": "xmod.polarity", "sync": "sync.mode",
    "dtime": "dynamics.time", "dlvl": "dynamics.level", "egr": "eg.reset", "lsync": "lfo1.sync",
    "ldiv": "lfo1.syncDiv",
}
PATCH_ALIAS = {
    "mode": "patch.keyMode", "split": "patch.splitPoint", "bal": "patch.balance", "oct": "patch.octaveShift",
    "assign": "patch.assignMode", "det": "patch.unisonDetune", "porta": "patch.portamentoTime",
    "bend": "patch.bendRange", "b1": "patch.vco1BendMode", "b2": "patch.vco2BendMode",
    "at": "patch.aftertouchSensitivity", "l2rate": "patch.lfo2Rate", "atmode": "patch.lfo2Mode",
    "l2sync": "patch.lfo2Sync", "l2div": "patch.lfo2SyncDiv", "tune": "patch.tune",
    "dsens": "patch.dynamicsSens", "stereo": "patch.stereoMode",
    "Loct": "patch.lower.octaveShift", "Lassign": "patch.lower.assignMode", "Ldet": "patch.lower.unisonDetune",
    "Lporta": "patch.lower.portamentoTime", "Lbend": "patch.lower.bendRange", "Lat": "patch.lower.aftertouchSensitivity",
    "Ll2rate": "patch.lower.lfo2Rate", "Latmode": "patch.lower.lfo2Mode",
}

# Enumeration values by name.
TRI, SAW, PULSE, SQR, NOISE = 0, 1, 2, 3, 3   # VCO-1 has a square where VCO-2 has noise
R32, R16, R8, R4, R2 = 0, 1, 2, 3, 4          # VCO-1 feet
V2LOW, V2_32, V2_16, V2_8, V2_4, V2_2, V2HI = 0, 1, 2, 3, 4, 5, 6
WHOLE, SPLIT2, SPLIT1, DUAL = 0, 1, 2, 3
SOLO, UNI1, UNI2, POLY1, POLY2 = 0, 1, 2, 3, 4
ON, OFF = 0, 1                                # envelope dynamics and reset switches
LTRI, LSAWUP, LSAWDN, LSQR, LRND = 0, 1, 2, 3, 4
DIV = {"1/1": 3, "1/2": 5, "1/4.": 6, "1/4": 8, "1/8.": 9, "1/4T": 10, "1/8": 11, "1/16": 14, "2/1": 2}

# Effects: (type, [P0..P7]) in the slot's own 0..1 values.


def chorus(mode=0, model=0, width=0.5, amount=1.0):          # synth chorus, modes I, II, I+II
    return (1, [model, mode / 2, width, amount])


def ens(mode=0, width=0.5):                                   # studio chorus, modes 1..4 as 0..3
    return (2, [mode / 3, width])


def dchorus(rate=0.3, depth=0.5, width=0.6, fb=0.0, mix=0.5, voices=3, detune=0.3):
    return (3, [rate, depth, width, fb, mix, (voices - 1) / 3, detune])


def delay(div="1/8.", fb=0.35, mix=0.25, tone=0.55, pingpong=0, free_ms=None, width=0.5):
    if free_ms:
        return (4, [1, 0, math.log(free_ms) / math.log(2000), pingpong, fb / 0.95, tone, width, mix])
    return (4, [0, {"1/16": 3, "1/8T": 4, "1/16.": 5, "1/8": 6, "1/4T": 7, "1/8.": 8, "1/4": 9,
                    "1/4.": 10, "1/2": 11}[div] / 11, 0.5, pingpong, fb / 0.95, tone, width, mix])


def phaser(rate=0.2, depth=0.6, fb=0.3, stages=1, center=0.4, stereo=1, mix=0.6, sharp=0.3):
    return (5, [rate, depth, fb, stages / 3, center, stereo, mix, sharp])


def flanger(rate=0.15, depth=0.5, fb=0.5, manual=0.4, stereo=1, mix=0.6, color=0, tzf=0):
    return (6, [rate, depth, fb, manual, stereo, mix, color, tzf])


def eq(low=0.0, lowf=0.4, mid=0.0, midf=0.5, high=0.0, highf=0.4):
    def g(db):
        return 0.5 + db / 24 if db >= 0 else 0.5 + db / 72
    return (7, [g(low), lowf, g(mid), midf, g(high), highf])


def comp(thresh=-18, ratio=4, attack=0.3, release=0.4, mix=1.0, mode=0, knee=0.25):
    return (8, [(thresh + 60) / 60, math.sqrt((ratio - 1) / 19), attack, release, mix, mode / 3, knee])


def drive(algo=1, drive_db=12, out_db=-6, mix=1.0):
    out = (out_db + 24) / 48 if out_db < 0 else 0.5 + out_db / 24
    return (9, [algo / 4, drive_db / 36, out, mix])


def reverb(mode=0, pre=0.1, decay=0.45, damp=0.4, diff=0.8, tone=0.6, width=0.6, mix=0.25):
    return (10, [mode / 2, pre, decay, damp, diff, tone, width, mix])


def pitchchorus(a=9, b=-9, da=0.0, db=0.05, depth=0.2, rate=0.2, fb=0.0, mix=0.5):
    return (11, [a / 100 + 0.5, b / 100 + 0.5, da, db, depth, rate, fb, mix])


def arp(mode=0, octaves=1, div="1/16", gate=0.5, swing=0.0, hold=0):
    return (12, [mode / 5, (octaves - 1) / 3, {"1/32": 1, "1/16T": 2, "1/16": 3, "1/8T": 4, "1/16.": 5,
                                              "1/8": 6, "1/4T": 7, "1/8.": 8, "1/4": 9}[div] / 11,
                 (gate - 0.05) / 0.95, swing, hold])


HALL, PLATE, ROOM = 0, 1, 2

# ---------------------------------------------------------------------------------------------------
# Family templates: a base voice each; a preset is a template plus its own changes.

BASE_TONE = dict(kfv=1.0, kft=1, m1=0, r1=R8, w1=SAW, m2=0, r2=V2_8, w2=SAW, fine=0.0, mix=0.5, hpf=20,
                 cut=3000, res=0.1, esel=0, einv=0, env=0.0, flfo=0.0, fkf=0.5, lvl=1.0, trem=0.0,
                 e1=(2, 400, 0.5, 300), kf1=0.0, dyn1=ON, e2=(2, 300, 1.0, 250), kf2=0.0, dyn2=ON,
                 lrate=5.0, lwave=LTRI, ldelay=0, vib=0.0, penv=0.0, pw=50, pwm=0.0, pwms=1, pwmp=0,
                 xm=0.0, xme=0.0, xmp=0, sync=0, dtime=0.0, dlvl=0.5, egr=ON, lsync=0, ldiv=8)
BASE_PATCH = dict(mode=WHOLE, split=60, bal=0.5, oct=2, assign=POLY1, det=0.0, porta=0, bend=2, b1=1, b2=1,
                  at=0.0, l2rate=5.0, atmode=0, l2sync=0, l2div=8, tune=0, dsens=1.0, stereo=0,
                  Loct=2, Lassign=POLY1, Ldet=0.0, Lporta=0, Lbend=2, Lat=0.0, Ll2rate=5.0, Latmode=0)

FAMILY = {
    "bass": (dict(r1=R16, r2=V2_16, fine=4, cut=420, res=0.2, env=2.6, fkf=0.3, e1=(2, 260, 0.15, 120),
                  e2=(2, 900, 0.75, 120), dlvl=0.6), dict(assign=SOLO, bend=2)),
    "brass": (dict(fine=7, cut=900, res=0.12, env=2.4, fkf=0.6, e1=(70, 600, 0.55, 260), e2=(25, 500, 0.9, 260),
                   vib=0.12, ldelay=700, lrate=5.5, dlvl=0.6), dict(assign=POLY1, bend=2)),
    "keys": (dict(w1=PULSE, w2=SAW, pw=38, cut=1600, res=0.1, env=1.6, fkf=0.7, e1=(2, 900, 0.2, 400),
                  e2=(2, 1800, 0.0, 450), kf2=0.4, kf1=0.3, dlvl=0.7), dict(assign=POLY2)),
    "organ": (dict(w1=SQR, w2=PULSE, pw=30, r2=V2_4, cut=5200, res=0.0, env=0.0, fkf=0.9, e1=(2, 300, 1.0, 60),
                   e2=(2, 300, 1.0, 70), dyn2=OFF, dyn1=OFF, vib=0.0), dict(assign=POLY2)),
    "lead": (dict(fine=5, cut=1800, res=0.25, env=1.8, fkf=0.6, e1=(5, 700, 0.6, 250), e2=(3, 500, 0.95, 220),
                  vib=0.14, ldelay=500, lrate=5.6, dlvl=0.5), dict(assign=SOLO, porta=40, bend=2)),
    "pad": (dict(fine=9, cut=1400, res=0.15, env=0.9, fkf=0.4, e1=(600, 2500, 0.6, 1800), e2=(350, 2000, 0.95, 1600),
                 pwm=0.35, pwms=1, lrate=0.6, dlvl=0.3), dict(assign=POLY2)),
    "strings": (dict(w1=SAW, w2=SAW, fine=8, cut=2600, res=0.05, env=0.6, fkf=0.7, hpf=150,
                     e1=(250, 1500, 0.7, 900), e2=(180, 1200, 0.95, 800), vib=0.1, lrate=5.2, ldelay=900,
                     dlvl=0.4), dict(assign=POLY2)),
    "choir": (dict(w1=PULSE, w2=TRI, pw=22, fine=6, cut=1300, res=0.3, env=0.4, fkf=0.6, hpf=300,
                   e1=(400, 1500, 0.7, 1200), e2=(300, 1500, 0.95, 1100), pwm=0.4, lrate=4.8, vib=0.08,
                   dlvl=0.3), dict(assign=POLY2)),
    "seq": (dict(r1=R8, cut=700, res=0.45, env=3.0, fkf=0.5, e1=(2, 180, 0.0, 150), e2=(2, 260, 0.0, 160),
                 dlvl=0.7), dict(assign=POLY2)),
    "fx": (dict(cut=2000, res=0.4, env=2.0, e1=(300, 2000, 0.3, 1500), e2=(50, 2000, 0.9, 1500), dlvl=0.3),
           dict(assign=POLY2)),
    "init": (dict(), dict()),
}


class Preset:
    def __init__(self, folder, name, family, tone=None, patch=None, fx=(), lower=None, lower_family=None):
        self.folder, self.name = folder, name
        fam_tone, fam_patch = FAMILY[family]
        self.upper = dict(BASE_TONE, **fam_tone)
        self.upper.update(tone or {})
        if lower is None:
            self.lower = dict(self.upper)
        else:
            lt, _ = FAMILY[lower_family or family]
            self.lower = dict(BASE_TONE, **lt)
            self.lower.update(lower)
        self.patch = dict(BASE_PATCH, **fam_patch)
        self.patch.update(patch or {})
        self.fx = list(fx)

    @property
    def path(self):
        return "%s/%s.80p" % (self.folder, self.name)


BANKLIST = []


def add(folder, family, rows):
    """rows: (name, tone changes, patch changes, effects[, lower tone changes[, lower family]])."""
    for row in rows:
        name, tone, patch, fx = row[:4]
        lower = row[4] if len(row) > 4 else None
        lower_family = row[5] if len(row) > 5 else None
        BANKLIST.append(Preset(folder, name, family, tone, patch, fx, lower, lower_family))


from recipes import define_bank  # noqa: E402  (the presets themselves, one folder each)

# ---------------------------------------------------------------------------------------------------
# Documents.


def init_document():
    with open(os.path.join(REPO, "library", "InitPatchDocument.cpp")) as f:
        text = f.read()
    return json.loads(re.search(r'R"VLMINIT\((.*)\)VLMINIT"', text, re.S).group(1))


def tone_params(settings):
    params = {}
    for alias, value in settings.items():
        if alias in ("e1", "e2"):
            env = "env1" if alias == "e1" else "env2"
            for part, v in zip(("attack", "decay", "sustain", "release"), value):
                key = "%s.%s" % (env, part)
                params[key] = normalize(key, TONE_INDEX[key], v)
            continue
        key = TONE_ALIAS[alias]
        params[key] = normalize(key, TONE_INDEX[key], value)
    return params


def document(preset, volume_db):
    doc = init_document()
    doc.pop("metadata", None)
    doc["createdWith"]["version"] = "1.0.13"
    patch = doc["patch"]
    for tone in ("toneA", "toneB"):
        patch[tone].pop("metadata", None)
    # A trim beyond the patch volume's reach goes into both tones' VCA level (a linear gain).
    volume = max(-12.0, min(12.0, volume_db))
    rest = 10 ** (min(0.0, volume_db - volume) / 20)
    patch["toneA"]["params"].update(tone_params(dict(preset.upper, lvl=preset.upper["lvl"] * rest)))
    patch["toneB"]["params"].update(tone_params(dict(preset.lower, lvl=preset.lower["lvl"] * rest)))
    params = patch["params"]
    for alias, value in preset.patch.items():
        key = PATCH_ALIAS[alias]
        params[key] = normalize(key, PATCH_INDEX[key], value)
    for n in range(1, 6):
        params["patch.fx%d.type" % n] = 0
        for k in range(8):
            params["patch.fx%d.p%d" % (n, k)] = 0
    for n, (kind, values) in enumerate(preset.fx, start=1):
        params["patch.fx%d.type" % n] = kind / 15
        for k, v in enumerate(values):
            params["patch.fx%d.p%d" % (n, k)] = min(1.0, max(0.0, float(v)))
    params["patch.volume"] = normalize("patch.volume", 168, volume)
    return doc


def read_levels():
    if os.path.exists(LEVELS):
        with open(LEVELS) as f:
            return json.load(f)
    return {}


def write(args):
    load_curves(args.build)
    define_bank(sys.modules[__name__])
    levels = read_levels()
    seen = set()
    for p in BANKLIST:
        if p.path in seen:
            raise SystemExit("two presets at " + p.path)
        seen.add(p.path)
    folders = sorted({p.folder for p in BANKLIST})
    for folder in os.listdir(BANK) if os.path.isdir(BANK) else []:
        full = os.path.join(BANK, folder)
        if os.path.isdir(full):
            for name in os.listdir(full):
                if name.endswith(".80p") and "%s/%s" % (folder, name) not in seen:
                    os.remove(os.path.join(full, name))
            if not os.listdir(full):
                os.rmdir(full)
    for p in BANKLIST:
        os.makedirs(os.path.join(BANK, p.folder), exist_ok=True)
        text = json.dumps(document(p, levels.get(p.path, 0.0)), indent=2, sort_keys=True) + "\n"
        with open(os.path.join(BANK, p.path), "w", newline="\n") as f:
            f.write(text)
    counts = {f: sum(1 for p in BANKLIST if p.folder == f) for f in folders}
    print("%d presets in %d folders: %s" % (len(BANKLIST), len(folders), counts))


def stage(args):
    """New patch volumes from measure files: loudness toward the target, peaks under -1.5 dBFS.

    The engine's random sources run on from preset to preset, so renders with different lane counts hear
    different histories; with several files the loudness is their mean and the peak their highest."""
    runs = []
    for name in args.measures:
        with open(name) as f:
            runs.append({m["path"]: m for m in json.load(f)})
    measures = []
    for path in runs[0]:
        ms = [run[path] for run in runs]
        measures.append({"path": path, "loudnessDb": sum(m["loudnessDb"] for m in ms) / len(ms),
                         "notePeakDb": max(m["notePeakDb"] for m in ms),
                         "chordPeakDb": max(m["chordPeakDb"] for m in ms)})
    levels = read_levels()
    loud = sorted(m["loudnessDb"] for m in measures)
    target = args.target if args.target is not None else loud[len(loud) // 2]
    for m in measures:
        old = levels.get(m["path"], 0.0)
        change = (target - m["loudnessDb"]) * args.step
        peak = max(m["notePeakDb"], m["chordPeakDb"])
        change = min(change, -1.5 - peak)          # headroom below full scale
        new = max(-30.0, min(12.0, round((old + change) * 2) / 2))
        levels[m["path"]] = new
    with open(LEVELS, "w") as f:
        json.dump(dict(sorted(levels.items())), f, indent=1, sort_keys=True)
        f.write("\n")
    print("target loudness %.1f dB" % target)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="command", required=True)
    w = sub.add_parser("write", help="write the documents from the recipes")
    w.add_argument("--build", default=os.path.join(REPO, "build"))
    s = sub.add_parser("stage", help="update levels.json from velmora-bankcheck --json output")
    s.add_argument("measures", nargs="+")
    s.add_argument("--target", type=float)
    s.add_argument("--step", type=float, default=1.0)
    args = parser.parse_args()
    sys.path.insert(0, HERE)
    {"write": write, "stage": stage}[args.command](args)


if __name__ == "__main__":
    sys.path.insert(0, HERE)
    main()
