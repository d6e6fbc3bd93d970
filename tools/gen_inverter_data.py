#!/usr/bin/env python3
"""Write the shipped inverter data files under share/dat.

The output is deterministic: running the script twice gives the same bytes.

    python3 tools/gen_inverter_data.py [output-dir]

The default output directory is share/dat beside this script's parent folder.
Files written:

    Inverter.ini                             catalogue of type-forms
    <TypeForm>(<CpuVer>)/Info.ini            set-up, monitor items, alarms, trips
    <TypeForm>(<CpuVer>)/<TypeForm>(Eng).inv parameter definitions, English
    <TypeForm>(<CpuVer>)/<TypeForm>(Jap).inv parameter definitions, Japanese
    <TypeForm>(<CpuVer>)/<TypeForm>-<cap>.cap capacity-dependent defaults
    <TypeForm>(<CpuVer>)/<TypeForm>(Eng).html parameter help, English
    <TypeForm>(<CpuVer>)/<TypeForm>(Jap).html parameter help, Japanese

Text files are UTF-8 without a byte-order mark; .ini, .inv and .cap files use
CR LF line ends.
"""

import html
import os
import shutil
import sys
from dataclasses import dataclass, field, replace
from typing import Dict, List, Optional, Tuple, Union

# ---------------------------------------------------------------------------
# Parameter model
# ---------------------------------------------------------------------------

Limit = Union[int, str]  # a number, "@XXXX" (value of XXXX) or "-@XXXX" (negated)


@dataclass
class Param:
    com: str                      # communication number, four hex characters
    en: str                       # function name, English
    ja: str                       # function name, Japanese
    unit: str = ''
    lo: Limit = 0
    hi: Limit = 1
    default: Limit = 0            # a number, or "@XXXX" for the default of XXXX
    mul: int = 1
    tmul: Optional[str] = None    # None: derived from mul
    byte: int = 2
    mem: str = ''                 # '' (reader default "-"), or "RAM"
    flag: str = '0'               # "1": never written by an export
    quick: bool = False
    choices: Optional[List[Tuple[int, str, str]]] = None
    unit_ja: Optional[str] = None
    note: Optional[Tuple[str, str]] = None
    explicit: bool = False        # write "#", "1", "-" instead of empty fields
    cap: bool = False             # default replaced by the capacity files
    monitor: bool = False         # read-out of the running drive
    title: Optional[str] = None


def tmul_of(p: Param) -> str:
    if p.tmul is not None:
        return p.tmul
    return {1: '', 10: '#.#', 100: '#.##', 1000: '#.###'}[p.mul]


def sel(com, en, ja, choices, default=0, **kw) -> Param:
    """A selection parameter: range 0 .. last choice."""
    return Param(com, en, ja, lo=0, hi=max(c[0] for c in choices),
                 default=default, choices=choices, **kw)


OFF_ON = [(0, 'Disabled', '無効'), (1, 'Enabled', '有効')]
PERMIT = [(0, 'Permitted', '許可'), (1, 'Prohibited', '禁止')]

# ---------------------------------------------------------------------------
# Capacity data (one entry per capacity designation: voltage class digit and
# power code, for example 2007 = 200 V class, 0.75 kW)
# ---------------------------------------------------------------------------

# code: capacity code the inverter reports
# kw100: motor capacity in 0.01 kW, inv_a10 / mot_a10: rated currents in 0.1 A
# boost10: manual torque boost in 0.1 %, carrier10: PWM carrier in 0.1 kHz
# r1, r2: motor resistances in mOhm, ll100: leakage inductance in 0.01 mH,
# lm1000: magnetising inductance in mH, noload: no-load current %,
# rb10 / rbkw100: braking resistor in 0.1 Ohm / 0.01 kW, acc10: standard
# acceleration time in 0.1 s, rpm: motor rated speed
CAPACITIES: Dict[str, Dict[str, int]] = {
    '2002': dict(code=1, kw100=20, inv_a10=15, mot_a10=12, boost10=60, carrier10=120,
                 r1=9800, r2=8500, ll100=3800, lm1000=520, noload=65, rb10=2000, rbkw100=12,
                 acc10=100, rpm=1690),
    '2004': dict(code=2, kw100=40, inv_a10=30, mot_a10=22, boost10=60, carrier10=120,
                 r1=5100, r2=4300, ll100=2200, lm1000=310, noload=60, rb10=2000, rbkw100=12,
                 acc10=100, rpm=1700),
    '2007': dict(code=3, kw100=75, inv_a10=50, mot_a10=36, boost10=50, carrier10=120,
                 r1=2900, r2=2400, ll100=1350, lm1000=185, noload=55, rb10=1000, rbkw100=12,
                 acc10=100, rpm=1710),
    '2015': dict(code=4, kw100=150, inv_a10=80, mot_a10=66, boost10=40, carrier10=120,
                 r1=1350, r2=1100, ll100=720, lm1000=98, noload=50, rb10=750, rbkw100=24,
                 acc10=100, rpm=1720),
    '2022': dict(code=5, kw100=220, inv_a10=110, mot_a10=90, boost10=30, carrier10=120,
                 r1=880, r2=740, ll100=510, lm1000=69, noload=45, rb10=400, rbkw100=44,
                 acc10=100, rpm=1730),
    '4007': dict(code=17, kw100=75, inv_a10=25, mot_a10=18, boost10=50, carrier10=120,
                 r1=11200, r2=9500, ll100=5400, lm1000=740, noload=55, rb10=4000, rbkw100=12,
                 acc10=100, rpm=1710),
    '4015': dict(code=18, kw100=150, inv_a10=41, mot_a10=33, boost10=40, carrier10=120,
                 r1=5400, r2=4400, ll100=2880, lm1000=392, noload=50, rb10=3000, rbkw100=24,
                 acc10=100, rpm=1720),
    '4022': dict(code=19, kw100=220, inv_a10=55, mot_a10=45, boost10=30, carrier10=120,
                 r1=3520, r2=2960, ll100=2040, lm1000=276, noload=45, rb10=2000, rbkw100=44,
                 acc10=100, rpm=1730),
    '4037': dict(code=20, kw100=370, inv_a10=95, mot_a10=74, boost10=30, carrier10=80,
                 r1=2080, r2=1720, ll100=1280, lm1000=180, noload=42, rb10=1200, rbkw100=44,
                 acc10=100, rpm=1740),
    '4040': dict(code=21, kw100=400, inv_a10=105, mot_a10=80, boost10=25, carrier10=80,
                 r1=1900, r2=1560, ll100=1160, lm1000=164, noload=40, rb10=1200, rbkw100=88,
                 acc10=100, rpm=1745),
    '4055': dict(code=22, kw100=550, inv_a10=143, mot_a10=108, boost10=20, carrier10=80,
                 r1=1300, r2=1080, ll100=840, lm1000=120, noload=38, rb10=800, rbkw100=88,
                 acc10=200, rpm=1750),
    '4075': dict(code=23, kw100=750, inv_a10=170, mot_a10=146, boost10=20, carrier10=80,
                 r1=920, r2=780, ll100=620, lm1000=89, noload=36, rb10=600, rbkw100=176,
                 acc10=200, rpm=1755),
}


def capacity_data(cap_name: str) -> Dict[str, int]:
    """Data of a capacity name such as "-2007" or "-S2004" (single-phase input)."""
    core = cap_name.lstrip('-')
    single_phase = core.startswith('S')
    data = dict(CAPACITIES[core.lstrip('S')])
    if single_phase:
        data['code'] += 32
    data['volt'] = 100 * int(core.lstrip('S')[0])
    return data


# ---------------------------------------------------------------------------
# Type-forms
# ---------------------------------------------------------------------------


@dataclass
class CpuVersion:
    name: str
    code: int
    capacities: List[str]


@dataclass
class TypeForm:
    name: str
    type_no: int            # value of FB07 ([Type] of the catalogue)
    cpus: List[CpuVersion]
    disp: str               # [Setup] Disp
    mon: str                # first two characters of the monitor numbers
    freq_comm: Optional[str]
    compact: bool = False   # small range without PID, torque control, ...
    old_ident: bool = False  # reports 65 on FB05 and its capacity on FB58
    setup_unit: int = 0
    option2: int = 0
    description: Tuple[str, str] = ('', '')


TYPE_FORMS = [
    TypeForm('QM40', 40,
             [CpuVersion('2.10', 210, ['-2004', '-2007', '-2015', '-2022']),
              CpuVersion('3.05', 305, ['-2004', '-2007', '-2015', '-2022', '-4022', '-4037'])],
             disp='0*', mon='FD', freq_comm='FA01',
             description=('General-purpose inverter, 200 V and 400 V class',
                          '汎用インバータ 200V・400Vクラス')),
    TypeForm('QM60', 52,
             [CpuVersion('1.00', 100, ['-4007', '-4015', '-4022', '-4040', '-4055', '-4075'])],
             disp='F0', mon='F0', freq_comm='FA01', setup_unit=1, option2=1,
             description=('High-performance inverter, 400 V class',
                          '高機能インバータ 400Vクラス')),
    TypeForm('QS20', 65,
             [CpuVersion('1.20', 120, ['-S2002', '-S2004', '-S2007', '-2004', '-2007'])],
             disp='0*', mon='FD', freq_comm=None, compact=True, old_ident=True,
             description=('Compact inverter, 200 V class (single-phase and three-phase input)',
                          '小形インバータ 200Vクラス(単相・三相入力)')),
]

# ---------------------------------------------------------------------------
# Parameter catalogue
# ---------------------------------------------------------------------------


def basic_group(tf: TypeForm) -> List[Param]:
    ps = [
        sel('0000', 'Command mode selection', '運転指令モード選択',
            [(0, 'Terminal board', '端子台'), (1, 'Operation panel', '操作パネル'),
             (2, 'Communication', '通信')], default=1, quick=True),
        sel('0001', 'Frequency setting mode selection', '周波数設定モード選択',
            [(0, 'Operation panel', '操作パネル'), (1, 'VI terminal', 'VI端子'),
             (2, 'II terminal', 'II端子'), (3, 'Communication', '通信'),
             (4, 'UP/DOWN from external contacts', '外部接点UP/DOWN')], default=1, quick=True),
        Param('0002', 'Maximum frequency', '最高周波数', 'Hz', 3000, 40000, 8000, 100, quick=True,
              note=('Highest output frequency; also the top of the analog input range.',
                    '出力周波数の最大値です。アナログ入力の最大値にも対応します。')),
        Param('0003', 'Base frequency 1', '基底周波数1', 'Hz', 2500, '@0002', 6000, 100, quick=True,
              note=('Set it to the rated frequency on the motor name plate.',
                    'モータ銘板の定格周波数に合わせて設定します。')),
        Param('0004', 'Base frequency voltage 1', '基底周波数電圧1', 'V', 50, 660,
              400 if tf.name == 'QM60' else 200, cap=True,
              note=('Output voltage at the base frequency.', '基底周波数での出力電圧です。')),
        Param('0005', 'Upper limit frequency', '上限周波数', 'Hz', 50, '@0002', 6000, 100, quick=True),
        Param('0006', 'Lower limit frequency', '下限周波数', 'Hz', 0, '@0005', 0, 100, quick=True),
        Param('0007', 'Acceleration time 1', '加速時間1', 's', 1, 32000, '@F900', 10, quick=True,
              note=('Time to accelerate from 0 Hz to the maximum frequency.',
                    '0Hzから最高周波数に達するまでの時間です。')),
        Param('0008', 'Deceleration time 1', '減速時間1', 's', 1, 32000, '@0007', 10, quick=True,
              note=('Time to decelerate from the maximum frequency to 0 Hz.',
                    '最高周波数から0Hzに達するまでの時間です。')),
        sel('0009', 'V/f control mode selection', 'V/f制御モード選択',
            [(0, 'Constant torque', '定トルク特性'), (1, 'Variable torque', '二乗低減トルク特性'),
             (2, 'Automatic torque boost', '自動トルクブースト'),
             (3, 'Sensorless vector control', 'センサレスベクトル制御')], quick=True),
        Param('000A', 'Manual torque boost 1', '手動トルクブースト1', '%', 0, 300, 50, 10, cap=True,
              quick=True,
              note=('Raises the output voltage at low frequency to increase the starting torque.',
                    '低周波数域の出力電圧を上げ、始動トルクを増やします。')),
        Param('000B', 'Motor electronic thermal protection level 1', '電子サーマル保護レベル1', '%',
              10, 100, 100, quick=True),
        sel('000C', 'Electronic thermal characteristic selection', '電子サーマル特性選択',
            [(0, 'Standard motor', '標準モータ'),
             (1, 'Standard motor, overload trip', '標準モータ(過負荷トリップあり)'),
             (2, 'Inverter motor', 'インバータ専用モータ'),
             (3, 'Inverter motor, overload trip', 'インバータ専用モータ(過負荷トリップあり)')]),
        Param('000D', 'Panel frequency setting', 'パネル周波数設定', 'Hz', '@0006', '@0005', 0, 100,
              note=('Frequency command used when the operation panel sets the frequency.',
                    '操作パネルで周波数を設定するときの周波数指令です。')),
        sel('000E', 'Panel forward/reverse selection', 'パネル正転・逆転選択',
            [(0, 'Forward run', '正転'), (1, 'Reverse run', '逆転')]),
        sel('000F', 'Parameter initialisation', 'パラメータ初期化',
            [(0, 'No action', 'なし'), (1, '50 Hz standard settings', '50Hz標準設定'),
             (2, '60 Hz standard settings', '60Hz標準設定'),
             (3, 'Factory default settings', '工場出荷設定'),
             (4, 'Clear trip history', 'トリップ履歴クリア'),
             (5, 'Clear cumulative operation time', '累積運転時間クリア')],
            mem='RAM', flag='1',
            note=('A command, not a setting: it is never written by a parameter export.',
                  '設定値ではなく指令です。パラメータ一括書込みでは書き込まれません。')),
        sel('0010', 'Parameter write protection', 'パラメータ書込み禁止', PERMIT),
        sel('0011', 'Panel operation prohibition', 'パネル操作禁止', PERMIT),
        Param('0012', 'Free unit display scale', 'フリー単位表示倍率', '', 0, 20000, 0, 100,
              note=('0.00 shows the frequency; other values show frequency times this scale.',
                    '0.00で周波数表示、それ以外では周波数にこの倍率を掛けた値を表示します。')),
    ]
    return ps


def speed_group(tf: TypeForm) -> List[Param]:
    count = 7 if tf.compact else 15
    ps = [Param('%04X' % (0x20 + i), 'Preset speed frequency %d' % (i + 1),
                '多段速運転周波数%d' % (i + 1), 'Hz', '@0006', '@0005',
                [1500, 2000, 2500, 3000, 3500, 4000, 4500][i % 7] if i < 7 else 0, 100)
          for i in range(count)]
    jumps = 1 if tf.compact else 3
    for j in range(jumps):
        ps.append(Param('%04X' % (0x30 + 2 * j), 'Jump frequency %d' % (j + 1),
                        'ジャンプ周波数%d' % (j + 1), 'Hz', 0, '@0002', 0, 100))
        ps.append(Param('%04X' % (0x31 + 2 * j), 'Jumping width %d' % (j + 1),
                        'ジャンプ幅%d' % (j + 1), 'Hz', 0, 3000, 0, 100))
    ps += [
        Param('0036', 'Starting frequency', '始動周波数', 'Hz', 50, 1000, 50, 100),
        Param('0037', 'Operation starting frequency', '運転開始周波数', 'Hz', 0, '@0002', 0, 100),
        Param('0038', 'Operation starting frequency hysteresis', '運転開始周波数ヒステリシス', 'Hz',
              0, 3000, 0, 100),
        Param('0039', 'Frequency command bias', '周波数指令バイアス', 'Hz', '-@0005', '@0005', 0, 100,
              note=('Added to every frequency command; the range is plus and minus the upper limit '
                    'frequency.', 'すべての周波数指令に加算されます。設定範囲は上限周波数の±です。')),
    ]
    return ps


def accel_group(tf: TypeForm) -> List[Param]:
    pattern = [(0, 'Linear', '直線'), (1, 'S-pattern 1', 'S字1'), (2, 'S-pattern 2', 'S字2')]
    ps = [
        Param('0040', 'Acceleration time 2', '加速時間2', 's', 1, 32000, '@0007', 10),
        Param('0041', 'Deceleration time 2', '減速時間2', 's', 1, 32000, '@0040', 10),
        Param('0042', 'Acc/dec 1 and 2 switching frequency', '加減速1・2切替周波数', 'Hz',
              0, '@0002', 0, 100),
        sel('0043', 'Acc/dec pattern 1', '加減速パターン1', pattern),
        sel('0044', 'Acc/dec pattern 2', '加減速パターン2', pattern),
        Param('0045', 'S-pattern lower-limit adjustment', 'S字下限調整', '%', 0, 50, 10),
        Param('0046', 'S-pattern upper-limit adjustment', 'S字上限調整', '%', 0, 50, 10),
        sel('0047', 'Automatic acceleration/deceleration', '自動加減速',
            [(0, 'Disabled', '無効'), (1, 'Automatic setting', '自動設定'),
             (2, 'Acceleration only', '加速時のみ')]),
    ]
    if not tf.compact:
        ps += [
            Param('0048', 'Acceleration time 3', '加速時間3', 's', 1, 32000, '@0007', 10),
            Param('0049', 'Deceleration time 3', '減速時間3', 's', 1, 32000, '@0008', 10),
        ]
    ps += [
        Param('004A', 'Emergency stop deceleration time', '非常停止減速時間', 's', 1, 32000,
              '@0008', 10),
        Param('004B', 'Jog run frequency', '寸動運転周波数', 'Hz', 0, 2000, 500, 100),
        sel('004C', 'Jog stop pattern', '寸動停止パターン',
            [(0, 'Deceleration stop', '減速停止'), (1, 'Coast stop', 'フリーラン停止'),
             (2, 'DC braking stop', '直流制動停止')]),
        Param('004D', 'Jog acceleration/deceleration time', '寸動加減速時間', 's', 1, 32000, 10, 10),
    ]
    return ps


def motor_group(tf: TypeForm) -> List[Param]:
    ps = [
        Param('0100', 'Base frequency 2', '基底周波数2', 'Hz', 2500, '@0002', 6000, 100),
        Param('0101', 'Base frequency voltage 2', '基底周波数電圧2', 'V', 50, 660, '@0004'),
        Param('0102', 'Manual torque boost 2', '手動トルクブースト2', '%', 0, 300, '@000A', 10),
        Param('0103', 'Motor electronic thermal protection level 2', '電子サーマル保護レベル2', '%',
              10, 100, 100),
    ]
    if not tf.compact:
        for k in range(5):
            ps.append(Param('%04X' % (0x104 + 2 * k), 'V/f 5-point setting VF%d frequency' % (k + 1),
                            'V/f5点設定VF%d周波数' % (k + 1), 'Hz', 0, '@0002', 0, 100))
            ps.append(Param('%04X' % (0x105 + 2 * k), 'V/f 5-point setting VF%d voltage' % (k + 1),
                            'V/f5点設定VF%d電圧' % (k + 1), '%', 0, 1000, 0, 10))
    ps += [
        sel('010E', 'Supply voltage correction', '電源電圧補正',
            [(0, 'No correction, output voltage not limited', '補正なし・出力電圧制限なし'),
             (1, 'Correction, output voltage not limited', '補正あり・出力電圧制限なし'),
             (2, 'No correction, output voltage limited', '補正なし・出力電圧制限あり'),
             (3, 'Correction, output voltage limited', '補正あり・出力電圧制限あり')], default=2),
        Param('010F', 'PWM carrier frequency', 'PWMキャリア周波数', 'kHz', 20, 160, 120, 10, cap=True,
              note=('A higher carrier frequency lowers the motor noise and raises the inverter losses.',
                    'キャリア周波数を上げるとモータ騒音は下がり、インバータの損失は増えます。')),
        Param('0110', 'Motor rated capacity', 'モータ定格容量', 'kW', 10, 30000, 75, 100, cap=True),
        Param('0111', 'Motor rated current', 'モータ定格電流', 'A', 1, 9999, 36, 10, cap=True,
              quick=True, note=('Set the rated current on the motor name plate.',
                                'モータ銘板の定格電流を設定します。')),
        Param('0112', 'Motor rated speed', 'モータ定格回転数', 'min-1', 100, 24000, 1710, cap=True),
        Param('0113', 'Motor no-load current', 'モータ無負荷電流', '%', 10, 90, 55, cap=True),
        Param('0114', 'Number of motor poles', 'モータ極数', '', 2, 16, 4),
        sel('0115', 'Autotuning', 'オートチューニング',
            [(0, 'No action', 'なし'), (1, 'Reset motor constants', 'モータ定数初期化'),
             (2, 'Run autotuning at next start', '次回始動時にオートチューニング実行')], mem='RAM'),
        Param('0116', 'Motor constant R1 (stator resistance)', 'モータ定数R1(一次抵抗)', 'Ω',
              1, 65000, 2900, 1000, cap=True),
        Param('0117', 'Motor constant R2 (rotor resistance)', 'モータ定数R2(二次抵抗)', 'Ω',
              1, 65000, 2400, 1000, cap=True),
        Param('0118', 'Motor leakage inductance', 'モータ漏れインダクタンス', 'mH',
              1, 65000, 1350, 100, tmul='#.xx', cap=True),
        Param('0119', 'Motor magnetising inductance', 'モータ励磁インダクタンス', 'H',
              1, 65000, 185, 1000, tmul='#.#xx', cap=True),
        Param('011A', 'Slip compensation gain', 'すべり補正ゲイン', '%', 0, 1500, 500, 10, tmul='#.x'),
        Param('011B', 'Torque compensation gain', 'トルク補償ゲイン', '%', 0, 2000, 1000, 10),
        Param('011C', 'Speed control proportional gain', '速度制御比例ゲイン', '',
              0, 30000, 1000, 1000, tmul='#.xxx'),
        Param('011D', 'Speed control integral time', '速度制御積分時間', 's',
              1, 30000, 100, 1000, tmul='#.##x'),
        Param('011E', 'Torque limit level (driving)', '力行トルク制限レベル', '%', 0, 2500, 1500, 10),
        Param('011F', 'Torque limit level (regenerative)', '回生トルク制限レベル', '%',
              0, 2500, 1500, 10),
    ]
    return ps


def protection_group(tf: TypeForm) -> List[Param]:
    ps = [
        Param('0200', 'Stall prevention level', 'ストール防止レベル', '%', 100, 2000, 1500, 10,
              quick=not tf.compact),
        sel('0201', 'Stall prevention selection', 'ストール防止選択',
            [(0, 'Enabled', '有効'), (1, 'Disabled', '無効')]),
        sel('0202', 'Overvoltage stall prevention', '過電圧ストール防止',
            [(0, 'Enabled', '有効'), (1, 'Disabled', '無効'),
             (2, 'Enabled, quick deceleration', '有効(急速減速)'),
             (3, 'Enabled, dynamic quick deceleration', '有効(ダイナミック急速減速)')], default=2),
        Param('0203', 'Overvoltage stall prevention level', '過電圧ストール防止レベル', '%',
              1000, 1500, 1340, 10),
        Param('0204', 'Retry selection', 'リトライ回数選択', 'times', 0, 10, 0, unit_ja='回',
              note=('Number of automatic restarts after a trip; 0 disables the retry.',
                    'トリップ後の自動再始動回数です。0でリトライしません。')),
        sel('0205', 'Auto-restart after momentary power failure', '瞬停再始動制御選択',
            [(0, 'Disabled', 'なし'), (1, 'At momentary power failure', '瞬停時'),
             (2, 'When ST is switched on and off', 'ST端子ON/OFF時'), (3, 'Both', '両方')]),
        sel('0206', 'Dynamic braking selection', '回生制動選択',
            [(0, 'Disabled', 'なし'),
             (1, 'Enabled, resistor overload protection', 'あり(抵抗過負荷保護あり)'),
             (2, 'Enabled, no resistor overload protection', 'あり(抵抗過負荷保護なし)')]),
        Param('0207', 'Braking resistance', '制動抵抗値', 'Ω', 10, 10000, 1000, 10, cap=True),
        Param('0208', 'Braking resistor capacity', '制動抵抗容量', 'kW', 1, 6000, 12, 100, cap=True),
        Param('0209', 'DC braking starting frequency', '直流制動開始周波数', 'Hz', 0, '@0002', 100, 100),
        Param('020A', 'DC braking current', '直流制動電流', '%', 0, 1000, 500, 10),
        Param('020B', 'DC braking time', '直流制動時間', 's', 0, 200, 10, 10),
        sel('020C', 'Input phase failure detection', '入力欠相検出', OFF_ON, default=1),
        sel('020D', 'Output phase failure detection', '出力欠相検出',
            [(0, 'Disabled', '無効'), (1, 'At the first start after power on', '電源投入後初回始動時'),
             (2, 'At every start', '毎始動時'), (3, 'During operation', '運転中常時')]),
        sel('020E', 'Ground fault detection', '地絡検出', OFF_ON, default=1),
        Param('020F', 'Low current detection level', '軽負荷検出電流', '%', 0, 1000, 0, 10),
        Param('0210', 'Low current detection time', '軽負荷検出時間', 's', 0, 255, 0),
        Param('0211', 'Overtorque detection level', '過トルク検出レベル', '%', 0, 2500, 1500, 10),
        Param('0212', 'Overtorque detection time', '過トルク検出時間', 's', 0, 100, 5, 10),
        sel('0213', 'Cooling fan control', '冷却ファン制御',
            [(0, 'Automatic', '自動'), (1, 'Always on', '常時運転')]),
        Param('0214', 'Cumulative operation time alarm', '累積運転時間アラーム設定', 'h',
              0, 999999, 87600, byte=4,
              note=('The alarm output turns on when the cumulative operation time reaches this value.',
                    '累積運転時間がこの値に達するとアラーム出力がONになります。')),
        sel('0215', 'Undervoltage trip selection', '不足電圧トリップ選択',
            [(0, 'Alarm only', 'アラームのみ'), (1, 'Trip', 'トリップ')]),
    ]
    return ps


def terminal_group(tf: TypeForm) -> List[Param]:
    inputs = [('F', 2), ('R', 4), ('RES', 8), ('S1', 10), ('S2', 12)]
    if not tf.compact:
        inputs += [('S3', 14), ('S4', 16), ('S5', 0)]
    ps = [Param('%04X' % (0x300 + i), 'Input terminal function selection (%s)' % t,
                '入力端子機能選択(%s)' % t, '', 0, 74, d) for i, (t, d) in enumerate(inputs)]
    ps += [
        sel('0308', 'Input terminal logic selection', '入力端子ロジック選択',
            [(0, 'Sink', 'シンク'), (1, 'Source', 'ソース')]),
        Param('0309', 'Always-active function selection', '常時ON機能選択', '', 0, 74, 0),
        Param('030A', 'Input terminal response time', '入力端子応答時間', 'ms', 2, 200, 8),
    ]
    outputs = [('RY', 4), ('OUT1', 6), ('FL', 10)]
    ps += [Param('%04X' % (0x310 + i), 'Output terminal function selection (%s)' % t,
                 '出力端子機能選択(%s)' % t, '', 0, 255, d) for i, (t, d) in enumerate(outputs)]
    ps += [
        Param('0313', 'Frequency reach detection band', '周波数到達検出幅', 'Hz', 0, '@0002', 250, 100),
        Param('0314', 'Speed reach setting frequency', '任意周波数到達設定', 'Hz', 0, '@0002', 0, 100),
    ]
    if not tf.compact:
        ps += [
            Param('0315', 'Output terminal ON delay time', '出力端子ONディレイ時間', 's',
                  0, 6000, 0, 100),
            Param('0316', 'Output terminal OFF delay time', '出力端子OFFディレイ時間', 's',
                  0, 6000, 0, 100),
        ]
    return ps


def analog_group(tf: TypeForm) -> List[Param]:
    ps = []
    inputs = [('VI', 0, 0x400)] + ([] if tf.compact else [('II', 20, 0x404)])
    for name, p1, base in inputs:
        ps += [
            Param('%04X' % base, '%s input point 1 setting' % name, '%s入力ポイント1設定' % name,
                  '%', 0, 100, p1),
            Param('%04X' % (base + 1), '%s input point 1 frequency' % name,
                  '%s入力ポイント1周波数' % name, 'Hz', 0, '@0002', 0, 100),
            Param('%04X' % (base + 2), '%s input point 2 setting' % name, '%s入力ポイント2設定' % name,
                  '%', 0, 100, 100),
            Param('%04X' % (base + 3), '%s input point 2 frequency' % name,
                  '%s入力ポイント2周波数' % name, 'Hz', 0, '@0002', 6000, 100),
        ]
    ps += [
        Param('0408', 'Analog input filter', 'アナログ入力フィルタ', 'ms', 4, 1000, 64),
        Param('0409', 'VI input gain', 'VI入力ゲイン', '%', 0, 20000, 10000, 100, tmul='#.#x'),
        Param('040A', 'VI input bias', 'VI入力バイアス', '%', -10000, 10000, 0, 100,
              note=('Shifts the VI input characteristic; negative values are allowed.',
                    'VI入力特性をずらします。負の値も設定できます。')),
        Param('040B', 'FM terminal meter selection', 'FM端子メータ選択', '', 0, 20, 0),
        Param('040C', 'FM terminal meter adjustment', 'FM端子メータ調整', '', 0, 1500, 1000),
    ]
    return ps


def pid_torque_group(tf: TypeForm) -> List[Param]:
    if tf.compact:
        return []
    return [
        sel('0500', 'PID control', 'PID制御', OFF_ON),
        sel('0501', 'PID feedback input', 'PIDフィードバック入力',
            [(0, 'VI terminal', 'VI端子'), (1, 'II terminal', 'II端子'), (2, 'Communication', '通信')]),
        Param('0502', 'PID proportional gain', 'PID比例ゲイン', '', 1, 10000, 30, 100),
        Param('0503', 'PID integral gain', 'PID積分ゲイン', '', 1, 10000, 20, 100),
        Param('0504', 'PID differential gain', 'PID微分ゲイン', '', 0, 25500, 0, 100),
        Param('0505', 'PID output upper limit', 'PID出力上限', 'Hz', 0, '@0002', 6000, 100),
        Param('0506', 'PID output lower limit', 'PID出力下限', 'Hz', '-@0505', '@0505', 0, 100,
              note=('The range is symmetric: minus the PID output upper limit up to the upper limit.',
                    '設定範囲はPID出力上限のマイナス値から上限値までです。')),
        Param('0507', 'PID feedback filter', 'PIDフィードバックフィルタ', '', 0, 255, 0),
        sel('0600', 'Torque control selection', 'トルク制御選択',
            [(0, 'Speed control', '速度制御'), (1, 'Torque control', 'トルク制御')]),
        sel('0601', 'Torque command selection', 'トルク指令選択',
            [(0, 'VI terminal', 'VI端子'), (1, 'II terminal', 'II端子'),
             (2, 'Operation panel', '操作パネル'), (3, 'Communication', '通信')], default=2),
        Param('0602', 'Panel torque command', 'パネルトルク指令', '%', '-@011E', '@011E', 0, 10,
              note=('Limited on both sides by the driving torque limit level.',
                    '力行トルク制限レベルで正負両側が制限されます。')),
        Param('0603', 'Forward speed limit', '正転速度制限', 'Hz', 0, '@0002', 6000, 100),
        Param('0604', 'Reverse speed limit', '逆転速度制限', 'Hz', 0, '@0002', 6000, 100),
        Param('0605', 'Droop gain', 'ドループゲイン', '%', 0, 1000, 0, 10),
    ]


def model_group(tf: TypeForm) -> List[Param]:
    if tf.name != 'QM40':
        return []
    return [sel('0630', 'Energy-saving operation', '省エネ運転選択',
                [(0, 'Disabled', '無効'), (1, 'Enabled', '有効'), (2, 'Automatic', '自動')],
                note=('Available from CPU version 3.00 on; older CPU versions always read 0.',
                      'CPUバージョン3.00以降で使用できます。それより前のCPUでは常に0です。'))]


def comm_group(tf: TypeForm) -> List[Param]:
    x = dict(explicit=True)
    ps = [
        sel('0700', 'Communication baud rate', '通信速度',
            [(0, '1200 bps', '1200bps'), (1, '2400 bps', '2400bps'), (2, '4800 bps', '4800bps'),
             (3, '9600 bps', '9600bps'), (4, '19200 bps', '19200bps'), (5, '38400 bps', '38400bps')],
            default=3, **x),
        sel('0701', 'Parity', 'パリティ', [(0, 'None', 'なし'), (1, 'Even', '偶数'), (2, 'Odd', '奇数')],
            default=1, **x),
        Param('0702', 'Inverter number', 'インバータ番号', '', 0, 63, 0, **x),
        Param('0703', 'Communication time-out time', '通信タイムアウト時間', 's', 0, 1000, 0, 10,
              note=('0.0 disables the time-out check.', '0.0でタイムアウト検出をしません。')),
        sel('0704', 'Communication time-out action', '通信タイムアウト時動作',
            [(0, 'Continue operation', '運転継続'), (1, 'Alarm only', 'アラームのみ'),
             (2, 'Decelerate and stop', '減速停止'), (3, 'Coast stop', 'フリーラン停止'),
             (4, 'Trip', 'トリップ')], default=4, **x),
        Param('0705', 'Send waiting time', '送信待ち時間', 's', 0, 200, 0, 100),
        sel('0706', 'Protocol selection', 'プロトコル選択',
            [(0, 'Inverter protocol', 'インバータ専用プロトコル'), (1, 'MODBUS-RTU', 'MODBUS-RTU')], **x),
    ]
    if not tf.compact:
        ps.append(sel('0707', 'Inter-drive communication master/slave', 'インバータ間通信マスタ・スレーブ選択',
                      [(0, 'Slave', 'スレーブ'), (1, 'Master, frequency command', 'マスタ(周波数指令)'),
                       (2, 'Master, output frequency', 'マスタ(出力周波数)'),
                       (3, 'Master, torque command', 'マスタ(トルク指令)'),
                       (4, 'Master, output torque', 'マスタ(出力トルク)')], **x))
    return ps


def display_group(tf: TypeForm) -> List[Param]:
    ps = [
        Param('0800', 'Panel display selection', 'パネル表示選択', '', 0, 12, 0),
        sel('0801', 'Current/voltage display unit', '電流・電圧表示単位選択',
            [(0, '%', '%'), (1, 'A and V', 'A・V')]),
        Param('0802', 'Counter display preset value', 'カウンタ表示プリセット値', '',
              -999999, 999999, 0, byte=4,
              note=('Start value of the pulse counter display; negative values are allowed.',
                    'パルスカウンタ表示の初期値です。負の値も設定できます。')),
    ]
    if tf.name == 'QM60':
        ps += [
            Param('0900', 'Parts replacement alarm time', '部品交換アラーム時間', 'h',
                  0, 999999, 43800, byte=4),
            sel('0901', 'Cumulative power display unit', '積算電力表示単位',
                [(0, '1 kWh', '1kWh'), (1, '10 kWh', '10kWh'), (2, '100 kWh', '100kWh'),
                 (3, '1000 kWh', '1000kWh')]),
            sel('0902', 'Cumulative power reset', '積算電力クリア',
                [(0, 'No action', 'なし'), (1, 'Reset', 'クリア')], mem='RAM'),
            Param('0903', 'Brake release frequency', 'ブレーキ開放周波数', 'Hz', 0, '@0002', 300, 100),
            Param('0904', 'Brake release time', 'ブレーキ開放時間', 's', 0, 250, 10, 100,
                  tmul='#.xx'),
        ]
    return ps


def monitor_group(tf: TypeForm) -> List[Param]:
    m = tf.mon
    mon = dict(flag='1', monitor=True)
    ps = [
        Param(m + '00', 'Output frequency', '出力周波数', 'Hz', 0, 40000, 0, 100, **mon),
        Param(m + '01', 'Inverter status', 'インバータ状態', '', 0, 65535, 0, **mon),
        Param(m + '02', 'Frequency command', '周波数指令値', 'Hz', 0, 40000, 0, 100, **mon),
        Param(m + '03', 'Output current', '出力電流', '%', 0, 25000, 0, 100, **mon),
        Param(m + '04', 'DC voltage', '直流電圧', '%', 0, 25000, 0, 100, **mon),
        Param(m + '05', 'Output voltage', '出力電圧', '%', 0, 25000, 0, 100, **mon),
        Param(m + '06', 'Input terminal status', '入力端子状態', '', 0, 65535, 0, **mon),
        Param(m + '07', 'Output terminal status', '出力端子状態', '', 0, 65535, 0, **mon),
        Param(m + '08', 'Torque', 'トルク', '%', -3000, 3000, 0, 10, **mon),
        Param(m + '09', 'Motor speed', 'モータ回転数', 'min-1', -24000, 24000, 0, **mon),
        Param(m + '0A', 'Motor load factor', 'モータ負荷率', '%', 0, 2550, 0, 10, **mon),
        Param(m + '0B', 'Inverter load factor', 'インバータ負荷率', '%', 0, 2550, 0, 10, **mon),
        Param(m + '0C', 'Heatsink temperature', '冷却フィン温度', '°C', -40, 150, 0, **mon),
        Param(m + '0D', 'Input power', '入力電力', 'kW', 0, 65535, 0, 100, **mon),
        Param(m + '0E', 'Output power', '出力電力', 'kW', 0, 65535, 0, 100, **mon),
        Param(m + '10', 'VI input value', 'VI入力値', '%', 0, 1000, 0, 10, **mon),
    ]
    if not tf.compact:
        ps += [
            Param(m + '11', 'II input value', 'II入力値', '%', 0, 1000, 0, 10, **mon),
            Param(m + '12', 'PID feedback value', 'PIDフィードバック値', 'Hz', 0, 40000, 0, 100, **mon),
        ]
    ps.append(Param(m + '14', 'Cumulative power', '積算電力', 'kWh', 0, 99999999, 0, 10,
                    byte=4, **mon))
    if m == 'F0':
        for p in ps:
            p.title = 'd' + p.com[1:]
    return ps


def maintenance_group(tf: TypeForm, cpu: CpuVersion) -> List[Param]:
    ro = dict(flag='1')
    ps = [
        Param('F900', 'Standard acceleration/deceleration time', '標準加減速時間', 's',
              1, 32000, 100, 10, cap=True,
              note=('Capacity-dependent shipment value of the acceleration and deceleration times.',
                    '加減速時間の容量別出荷設定値です。')),
        Param('F901', 'Current detection gain', '電流検出ゲイン', '%', 8000, 12000, 10000, 100),
        Param('F902', 'Dead time compensation', 'デッドタイム補償量', 'µs', 0, 500, 30, 10, tmul='#.x'),
        Param('F903', 'DC voltage detection gain', '直流電圧検出ゲイン', '%', 8000, 12000, 10000, 100,
              tmul='#.#x'),
        Param('F904', 'Overcurrent detection level', '過電流検出レベル', '%', 1000, 3000, 2200, 10),
        Param('F905', 'Heatsink overheat level', '冷却フィン過熱レベル', '°C', 50, 120, 95),
        Param('F906', 'Factory test mode', '工場試験モード', '', 0, 9, 0, mem='RAM', title='', **ro),
        Param('F907', 'Maintenance date (YYYYMMDD)', '保守実施日(年月日)', '', 0, 99991231, 0, byte=4),
        Param('FA00', 'Communication command', '通信指令', '', 0, 65535, 0, mem='RAM', **ro),
        Param('FA01', 'Communication frequency command', '通信周波数指令', 'Hz', 0, '@0002', 0, 100,
              mem='RAM',
              note=('Frequency command written by the communication line; the key pad writes it too.',
                    '通信による周波数指令です。キーパッドからも書き込まれます。')),
        Param('FA10', 'Key mode', 'キーモード', '', 0, 1, 0, mem='RAM',
              note=('1 while a key of the remote key pad is being sent, 0 otherwise.',
                    'リモートキーパッドのキー送信中は1、それ以外は0です。'), **ro),
        Param('FA11', 'Key data', 'キーデータ', '', 0, 65535, 0, mem='RAM',
              note=('Low byte: key code (RUN 01h, STOP 02h, UP 04h, DOWN 08h, MON 10h, ENT 20h); '
                    'high byte: poll cycle time in units of 4 ms.',
                    '下位バイト: キーコード(RUN 01h、STOP 02h、UP 04h、DOWN 08h、MON 10h、ENT 20h)、'
                    '上位バイト: 4ms単位の周期時間です。'), **ro),
    ]
    if tf.old_ident:
        ps += [
            Param('FB05', 'Inverter type code', 'インバータ形式コード', '', 0, 255, tf.type_no, **ro),
            Param('FB07', 'Inverter type code (extended)', 'インバータ形式コード(拡張)', '',
                  0, 255, 0, **ro),
            Param('FB58', 'Inverter capacity code', 'インバータ容量コード', '', 0, 255, 0, cap=True, **ro),
        ]
    else:
        ps += [
            Param('FB05', 'Inverter capacity code', 'インバータ容量コード', '', 0, 255, 0, cap=True, **ro),
            Param('FB07', 'Inverter type code', 'インバータ形式コード', '', 0, 255, tf.type_no, **ro),
            Param('FB58', 'Inverter rated output current', 'インバータ定格出力電流', 'A',
                  0, 9999, 0, 10, cap=True, **ro),
        ]
    ps += [
        Param('FB91', 'Maintenance access code', '保守アクセスコード', '', 0, 999, 0, mem='RAM',
              note=('Writing the access code opens the maintenance parameters; 0 closes them.',
                    'アクセスコードを書き込むと保守用パラメータが開放され、0で閉じます。'), **ro),
        Param('FC10', 'Panel display data 1', 'パネル表示データ1', '', 0, 65535, 0,
              note=('First word of the panel display block FC10 to FC14: segment codes of the two '
                    'display frames and their status lamps, read in one exchange.',
                    'パネル表示ブロックFC10～FC14の先頭ワードです。2つの表示フレームの'
                    'セグメントコードと状態ランプを一度に読み出します。'), **ro),
    ]
    for k in range(2, 6):
        ps.append(Param('FC1%d' % (k - 1), 'Panel display data %d' % k, 'パネル表示データ%d' % k,
                        '', 0, 65535, 0, title='', **ro))
    ps += [
        Param('FC90', 'Trip code', 'トリップコード', '', 0, 255, 0,
              note=('Code of the present trip; 0 when the inverter is not tripped.',
                    '現在のトリップのコードです。トリップしていないときは0です。'), **ro),
        Param('FC91', 'Alarm status', 'アラーム状態', '', 0, 65535, 0,
              note=('One bit per alarm; bit 0 is the overcurrent alarm.',
                    'アラームごとに1ビットです。ビット0が過電流アラームです。'), **ro),
    ]
    if tf.mon == 'FD':
        ps += monitor_group(tf)
    ps += [
        Param('FE08', 'CPU version code', 'CPUバージョンコード', '', 0, 999, cpu.code,
              note=('CPU version times 100 (305 means version 3.05).',
                    'CPUバージョンの100倍の値です(305はバージョン3.05)。'), **ro),
        Param('FE10', 'Past trip 1 (latest)', '過去トリップ1(最新)', '', 0, 255, 0, **ro),
        Param('FE11', 'Past trip 2', '過去トリップ2', '', 0, 255, 0, **ro),
        Param('FE12', 'Past trip 3', '過去トリップ3', '', 0, 255, 0, **ro),
        Param('FE13', 'Past trip 4', '過去トリップ4', '', 0, 255, 0, **ro),
        Param('FE14', 'Cumulative operation time', '累積運転時間', 'x100h', 0, 9999999, 0, 100,
              byte=4, note=('Counted in hours and shown in units of 100 hours (12.34 means 1234 hours).',
                            '1時間単位で計数し、100時間単位で表示します(12.34は1234時間)。'), **ro),
        Param('FE15', 'Number of starts', '始動回数', 'times', 0, 99999999, 0, byte=4,
              unit_ja='回', **ro),
        Param('FE70', 'Inverter rated current', 'インバータ定格電流', 'A', 0, 9999, 0, 10, cap=True, **ro),
        Param('FE71', 'Inverter rated voltage', 'インバータ定格電圧', 'V', 0, 1000, 0, cap=True, **ro),
    ]
    return ps


def parameters(tf: TypeForm, cpu: CpuVersion) -> List[Param]:
    """All rows of one definition file, normal rows first."""
    normal = (basic_group(tf) + speed_group(tf) + accel_group(tf) + motor_group(tf)
              + protection_group(tf) + terminal_group(tf) + analog_group(tf)
              + pid_torque_group(tf) + model_group(tf) + comm_group(tf) + display_group(tf))
    if tf.mon == 'F0':
        normal += monitor_group(tf)
    maintenance = maintenance_group(tf, cpu)
    ps = [replace(p) for p in normal + maintenance]
    # Capacity-dependent defaults in the definition file: the values of the
    # smallest capacity of the directory (each capacity file replaces them).
    first = cap_values(tf, cpu.capacities[0])
    for p in ps:
        if p.cap:
            p.default = first[p.com]
    # Title codes: normal rows show a panel code, maintenance rows "Fb" + index.
    n = 0
    for p in ps:
        if p.title is not None:
            continue
        if p.com.startswith('0'):
            p.title = 'F' + p.com[1:]
        else:
            p.title = 'Fb%02d' % n
            n += 1
    return ps


def cap_values(tf: TypeForm, cap_name: str) -> Dict[str, int]:
    """Capacity file contents: communication number -> stored value."""
    d = capacity_data(cap_name)
    v = {
        '0004': d['volt'],
        '000A': d['boost10'],
        '010F': d['carrier10'],
        '0110': d['kw100'],
        '0111': d['mot_a10'],
        '0112': d['rpm'],
        '0113': d['noload'],
        '0116': d['r1'],
        '0117': d['r2'],
        '0118': d['ll100'],
        '0119': d['lm1000'],
        '0207': d['rb10'],
        '0208': d['rbkw100'],
        'F900': d['acc10'],
        'FE70': d['inv_a10'],
        'FE71': d['volt'],
    }
    if tf.old_ident:
        v['FB58'] = d['code']
    else:
        v['FB05'] = d['code']
        v['FB58'] = d['inv_a10']
    return v


# ---------------------------------------------------------------------------
# Monitor items, alarms and trips (Info.ini)
# ---------------------------------------------------------------------------

# (offset, English name, Japanese name, normal unit, alternative unit)
MONITOR_ITEMS = [
    ('00', 'Output frequency', '出力周波数', '(Hz)', '(-)'),
    ('02', 'Frequency command', '周波数指令値', '(Hz)', '(-)'),
    ('03', 'Output current', '出力電流', '(%)', '(A)'),
    ('04', 'DC voltage', '直流電圧', '(%)', '(V)'),
    ('05', 'Output voltage', '出力電圧', '(%)', '(V)'),
    ('08', 'Torque', 'トルク', '(%)', '(-)'),
    ('09', 'Motor speed', 'モータ回転数', '(min-1)', '(-)'),
    ('0A', 'Motor load factor', 'モータ負荷率', '(%)', '(-)'),
    ('0B', 'Inverter load factor', 'インバータ負荷率', '(%)', '(-)'),
    ('0C', 'Heatsink temperature', '冷却フィン温度', '(°C)', '(-)'),
    ('0D', 'Input power', '入力電力', '(kW)', '(-)'),
    ('0E', 'Output power', '出力電力', '(kW)', '(-)'),
    ('10', 'VI input value', 'VI入力値', '(%)', '(-)'),
    ('11', 'II input value', 'II入力値', '(%)', '(-)'),
    ('12', 'PID feedback value', 'PIDフィードバック値', '(Hz)', '(-)'),
    ('01-00', 'Running', '運転中', '(bit)', '(-)'),
    ('01-01', 'Reverse running', '逆転運転中', '(bit)', '(-)'),
    ('01-02', 'Tripped', 'トリップ中', '(bit)', '(-)'),
    ('01-03', 'Alarm active', 'アラーム発生中', '(bit)', '(-)'),
    ('06-00', 'Input terminal F', '入力端子F', '(bit)', '(-)'),
    ('06-01', 'Input terminal R', '入力端子R', '(bit)', '(-)'),
    ('06-02', 'Input terminal RES', '入力端子RES', '(bit)', '(-)'),
    ('06-03', 'Input terminal S1', '入力端子S1', '(bit)', '(-)'),
    ('06-04', 'Input terminal S2', '入力端子S2', '(bit)', '(-)'),
    ('07-00', 'Output terminal RY', '出力端子RY', '(bit)', '(-)'),
    ('07-01', 'Output terminal OUT1', '出力端子OUT1', '(bit)', '(-)'),
    ('07-02', 'Output terminal FL', '出力端子FL', '(bit)', '(-)'),
]

ALARMS = [
    ('Overcurrent alarm', '過電流アラーム'),
    ('Overvoltage alarm', '過電圧アラーム'),
    ('Overload alarm', '過負荷アラーム'),
    ('Overheat alarm', '過熱アラーム'),
    ('Communication error alarm', '通信異常アラーム'),
    ('Main circuit undervoltage', '主回路不足電圧'),
    ('Low current alarm', '軽負荷アラーム'),
    ('Overtorque alarm', '過トルクアラーム'),
    ('Braking resistor overload alarm', '制動抵抗過負荷アラーム'),
    ('Cumulative operation time alarm', '累積運転時間アラーム'),
    ('Parts replacement alarm', '部品交換アラーム'),
    ('Cooling fan alarm', '冷却ファンアラーム'),
]

# trip code, panel code, English, Japanese, present in the compact range
TRIPS = [
    (0, '----', 'No trip', 'トリップなし', True),
    (1, 'OC1', 'Overcurrent during acceleration', '加速中過電流', True),
    (2, 'OC2', 'Overcurrent during deceleration', '減速中過電流', True),
    (3, 'OC3', 'Overcurrent at constant speed', '定速中過電流', True),
    (4, 'OCL', 'Load-side overcurrent at start', '起動時負荷側過電流', True),
    (5, 'OCA', 'Arm short-circuit', 'アーム短絡', True),
    (8, 'EPHI', 'Input phase failure', '入力欠相', False),
    (9, 'EPHO', 'Output phase failure', '出力欠相', True),
    (10, 'OP1', 'Overvoltage during acceleration', '加速中過電圧', True),
    (11, 'OP2', 'Overvoltage during deceleration', '減速中過電圧', True),
    (12, 'OP3', 'Overvoltage at constant speed', '定速中過電圧', True),
    (13, 'OL1', 'Inverter overload', 'インバータ過負荷', True),
    (14, 'OL2', 'Motor overload', 'モータ過負荷', True),
    (15, 'OLR', 'Braking resistor overload', '制動抵抗過負荷', True),
    (16, 'OH', 'Overheat', '過熱', True),
    (17, 'E', 'Emergency stop', '非常停止', True),
    (18, 'EEP1', 'EEPROM fault', 'EEPROM異常', True),
    (21, 'ERR2', 'Main unit RAM fault', '本体RAM異常', True),
    (22, 'ERR3', 'Main unit ROM fault', '本体ROM異常', True),
    (23, 'ERR4', 'CPU fault', 'CPU異常', True),
    (24, 'ERR5', 'Communication time-out', '通信タイムアウト', True),
    (26, 'ERR7', 'Current detector fault', '電流検出器異常', True),
    (27, 'ERR8', 'Option unit fault', 'オプションユニット異常', False),
    (28, 'UC', 'Low current trip', '軽負荷トリップ', True),
    (29, 'UP1', 'Main circuit undervoltage', '主回路不足電圧', True),
    (32, 'OT', 'Overtorque trip', '過トルクトリップ', False),
    (34, 'EF', 'Ground fault', '地絡', True),
    (37, 'ETN', 'Autotuning error', 'オートチューニング異常', False),
    (38, 'ETYP', 'Inverter type error', '形式異常', True),
]


def monitor_items(tf: TypeForm, ps: List[Param]) -> List[Tuple[str, str, str, str, str]]:
    coms = {p.com for p in ps}
    items = []
    for off, en, ja, unit, alt in MONITOR_ITEMS:
        key = tf.mon + off
        if key[:4] in coms:
            items.append((key, en, ja, unit, alt))
    return items


# ---------------------------------------------------------------------------
# Writers
# ---------------------------------------------------------------------------


def write_text(path: str, lines: List[str], eol: str = '\r\n') -> None:
    with open(path, 'w', encoding='utf-8', newline='') as f:
        f.write(''.join(line + eol for line in lines))


def ini_lines(sections: List[Tuple[str, List[Tuple[str, str]]]]) -> List[str]:
    out = []
    for i, (name, keys) in enumerate(sections):
        if i:
            out.append('')
        out.append('[%s]' % name)
        out += ['%s=%s' % kv for kv in keys]
    return out


def field_text(text: str) -> str:
    """One field of a definition line: quoted when it holds a comma or white space."""
    assert '"' not in text
    if any(c == ',' or c.isspace() for c in text):
        return '"%s"' % text
    return text


def limit_fields(limit: Limit, ref_mark: str) -> Tuple[str, str]:
    """(index column, value column) of a limit."""
    if isinstance(limit, str):
        if limit.startswith('-@'):
            return '-1', limit[2:]
        return ref_mark, limit[1:]
    return '0', str(limit)


def is_signed(p: Param) -> bool:
    return (isinstance(p.lo, str) and p.lo.startswith('-@')) or (isinstance(p.lo, int) and p.lo < 0)


def definition_line(p: Param, lang: str) -> str:
    dindex, default = limit_fields(p.default, '1')
    hindex, high = limit_fields(p.hi, '1')
    lindex, low = limit_fields(p.lo, '1')
    name = p.en if lang == 'Eng' else p.ja
    unit = p.unit_ja if (lang == 'Jap' and p.unit_ja is not None) else p.unit
    tmul = tmul_of(p)
    mul = '' if p.mul == 1 else str(p.mul)
    mem = p.mem
    if p.explicit:
        tmul, mul, mem = tmul or '#', mul or '1', mem or '-'
    fields = [p.com, dindex, default, field_text(name), field_text(p.title), field_text(unit),
              str(p.byte), '1' if is_signed(p) else '0', hindex, high, lindex, low,
              tmul, mul, mem, p.flag, '1' if p.quick else '0']
    return ','.join(fields)


def scaled(value: int, p: Param) -> str:
    if p.mul == 1:
        return str(value)
    digits = {10: 1, 100: 2, 1000: 3}[p.mul]
    return '%.*f' % (digits, value / p.mul)


def help_page(tf: TypeForm, cpu: CpuVersion, ps: List[Param], lang: str) -> List[str]:
    ja = lang == 'Jap'
    by_com = {p.com: p for p in ps}

    def name(p):
        return p.ja if ja else p.en

    def in_sentence(p):
        # "Acceleration time 1" -> "acceleration time 1"; acronyms such as PID stay
        n = name(p)
        if ja or len(n) < 2 or not n[1].islower():
            return n
        return n[0].lower() + n[1:]

    def unit(p):
        u = p.unit_ja if (ja and p.unit_ja is not None) else p.unit
        return (' ' + u) if u and not ja else u

    def ref(com):
        r = by_com[com]
        return '%s (%s)' % (name(r), com) if not ja else '%s(%s)' % (name(r), com)

    def limit_text(limit, p):
        if isinstance(limit, str):
            if limit.startswith('-@'):
                return ('%sのマイナス値' % ref(limit[2:])) if ja else ('minus the value of ' + ref(limit[2:]))
            return ('%sの設定値' % ref(limit[1:])) if ja else ('the value of ' + ref(limit[1:]))
        return scaled(limit, p) + unit(p)

    title = '%s %s' % (tf.name, 'パラメータ説明' if ja else 'parameter help')
    out = ['<!DOCTYPE html>',
           '<html lang="%s">' % ('ja' if ja else 'en'),
           '<head>',
           '<meta charset="utf-8">',
           '<title>%s</title>' % html.escape(title),
           '<style>body{font-family:sans-serif;margin:1em 2em}h2{font-size:1.1em;'
           'border-bottom:1px solid #999;margin-top:1.5em}.maint{color:#a00}</style>',
           '</head>',
           '<body>',
           '<h1>%s</h1>' % html.escape(title),
           '<p>%s (CPU %s)</p>' % (html.escape(tf.description[1 if ja else 0]), cpu.name)]
    for p in ps:
        out.append('<h2><a id="%s">%s %s</a> [%s]</h2>'
                   % (p.com, html.escape(p.title or p.com), html.escape(name(p)), p.com))
        s = []
        maint = not p.com.startswith('0') and not p.com.startswith(tf.disp)
        if p.monitor or p.flag == '1' and not p.mem:
            s.append(('%sを表示します(読出し専用)。' % name(p)) if ja
                     else 'Shows the %s (read only).' % in_sentence(p))
        else:
            s.append(('%sを設定します。' % name(p)) if ja else 'Sets the %s.' % in_sentence(p))
            rng = (limit_text(p.lo, p), limit_text(p.hi, p))
            s.append(('設定範囲: %s～%s。' % rng) if ja else 'Setting range: %s to %s.' % rng)
            if p.cap:
                s.append('出荷設定はインバータ容量によって異なります。' if ja
                         else 'The shipment setting depends on the inverter capacity.')
            elif isinstance(p.default, str):
                s.append(('出荷設定: %sと同じ値。' % ref(p.default[1:])) if ja
                         else 'Shipment setting: the same as %s.' % ref(p.default[1:]))
            else:
                s.append(('出荷設定: %s。' % limit_text(p.default, p)) if ja
                         else 'Shipment setting: %s.' % limit_text(p.default, p))
        if p.note:
            s.append(p.note[1 if ja else 0])
        if maint:
            s.append('保守用パラメータです。メーカーの指示がある場合以外は変更しないでください。' if ja
                     else 'Maintenance parameter: change it only when the maker instructs you to.')
        cls = ' class="maint"' if maint else ''
        out.append('<p%s>%s</p>' % (cls, html.escape(('' if ja else ' ').join(s))))
        if p.choices:
            out.append('<ul>')
            out += ['<li>%d: %s</li>' % (v, html.escape(j if ja else e)) for v, e, j in p.choices]
            out.append('</ul>')
    out += ['</body>', '</html>']
    return out


def write_directory(root: str, tf: TypeForm, cpu: CpuVersion) -> None:
    d = os.path.join(root, '%s(%s)' % (tf.name, cpu.name))
    os.makedirs(d, exist_ok=True)
    ps = parameters(tf, cpu)

    for lang in ('Eng', 'Jap'):
        write_text(os.path.join(d, '%s(%s).inv' % (tf.name, lang)),
                   [definition_line(p, lang) for p in ps])
        write_text(os.path.join(d, '%s(%s).html' % (tf.name, lang)),
                   help_page(tf, cpu, ps, lang), eol='\n')

    for cap in cpu.capacities:
        values = cap_values(tf, cap)
        write_text(os.path.join(d, '%s%s.cap' % (tf.name, cap)),
                   ['%s,%d' % (p.com, values[p.com]) for p in ps if p.com in values])

    items = monitor_items(tf, ps)
    alarms = ALARMS[:8] if tf.compact else ALARMS
    trips = [t for t in TRIPS if t[4] or not tf.compact]
    sections = [
        ('Setup', [('Disp', tf.disp), ('Quick', str(sum(p.quick for p in ps))),
                   ('Unit', str(tf.setup_unit)), ('Option1', '0'), ('Option2', str(tf.option2))]),
        ('Info', [('Type', tf.name), ('Cpu', cpu.name)]),
    ]
    for lang, idx in (('Jap', 2), ('Eng', 1)):
        sections.append(('%s Monitor (%s)' % (tf.name, lang), [(it[0], it[idx]) for it in items]))
    sections.append(('%s Monitor Unit' % tf.name,
                     [('%02d%s' % (i + 1, it[3]), it[4]) for i, it in enumerate(items)]))
    for lang in ('Jap', 'Eng'):
        sections.append(('%s Alarm (%s)' % (tf.name, lang),
                         [('Bit%d' % i, a[1] if lang == 'Jap' else a[0])
                          for i, a in enumerate(alarms)]))
    for lang in ('Jap', 'Eng'):
        sections.append(('%s Trip (%s)' % (tf.name, lang),
                         [(str(code), '%s %s' % (panel, ja if lang == 'Jap' else en))
                          for code, panel, en, ja, _ in trips]))
    write_text(os.path.join(d, 'Info.ini'), ini_lines(sections))


def write_catalogue(root: str) -> None:
    sections = [('Type', [(tf.name, str(tf.type_no)) for tf in TYPE_FORMS])]
    for tf in TYPE_FORMS:
        sections.append(('%s CPU Ver' % tf.name, [(c.name, str(c.code)) for c in tf.cpus]))
        caps: List[str] = []
        for c in tf.cpus:
            caps += [cap for cap in c.capacities if cap not in caps]
        caps.sort(key=lambda c: (capacity_data(c)['code']))
        sections.append((tf.name, [(cap, str(capacity_data(cap)['code'])) for cap in caps]))
    sections.append(('Freq Comm No', [(tf.name, tf.freq_comm) for tf in TYPE_FORMS if tf.freq_comm]))
    write_text(os.path.join(root, 'Inverter.ini'), ini_lines(sections))


def main(argv: List[str]) -> int:
    here = os.path.dirname(os.path.abspath(__file__))
    root = argv[1] if len(argv) > 1 else os.path.join(here, '..', 'share', 'dat')
    root = os.path.normpath(root)
    if os.path.isdir(root):
        shutil.rmtree(root)
    os.makedirs(root)
    write_catalogue(root)
    for tf in TYPE_FORMS:
        for cpu in tf.cpus:
            write_directory(root, tf, cpu)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
