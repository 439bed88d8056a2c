#!/usr/bin/env python3
"""Reads the measurements of bench/run.sh from a results directory, prints the one table of
results with targets and verdicts, and writes every figure to results.json beside them."""
import json
import os
import statistics
import sys

MIB = 1024.0


def load(results, name):
    with open(os.path.join(results, name)) as f:
        return json.load(f)


def pooled_startup(hyperfine):
    """Each contender's wall times and mean CPU times (user + system) over all its rounds."""
    pooled = {}
    for result in hyperfine["results"]:
        entry = pooled.setdefault(result["command"], {"times": [], "cpu": []})
        entry["times"] += result["times"]
        entry["cpu"].append(result["user"] + result["system"])
    return pooled


def micro_medians(results):
    """Median real time in milliseconds of each micro-benchmark, by its name."""
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
    medians = {}
    for bench in load(results, "micro.json")["benchmarks"]:
        if bench.get("aggregate_name") == "median":
            name = bench["run_name"].split("/")[0]
            medians[name] = bench["real_time"] * scale[bench["time_unit"]]
    return medians


def collect(results):
    startup = pooled_startup(load(results, "startup.json"))
    launcher_ms = statistics.median(startup["launcher"]["times"]) * 1e3
    java_ms = statistics.median(startup["java -cp"]["times"]) * 1e3
    launcher_cpu = statistics.mean(startup["launcher"]["cpu"]) * 1e3
    java_cpu = statistics.mean(startup["java -cp"]["cpu"]) * 1e3
    phases = {k: load(results, "phases-%s.json" % k) for k in ("probe200", "probe10000")}
    with open(os.path.join(results, "memory-empty.txt")) as f:
        empty_kb = statistics.median(int(line.split("=")[1]) for line in f if "=" in line)
    launcher_kb = load(results, "memory-launcher.json")["hwm_kb"]["median"]
    micro = micro_medians(results)
    peaks = {}
    for kind in ("launcher", "floor"):
        with open(os.path.join(results, "peak-%s.jsonl" % kind)) as f:
            peaks[kind] = statistics.median(json.loads(line)["median_kib"] for line in f if line.strip())
    with open(os.path.join(results, "instructions.txt")) as f:
        instructions, instructions_empty, environment_size = (int(n) for n in f.read().split())

    def phase(kind, name):
        return phases[kind][name]["median"] / 1e3  # ms

    return {
        "startup_launcher_ms": launcher_ms,
        "startup_java_ms": java_ms,
        "startup_ratio": launcher_ms / java_ms,
        "startup_launcher_cpu_ms": launcher_cpu,
        "startup_java_cpu_ms": java_cpu,
        "startup_cpu_ratio": launcher_cpu / java_cpu,
        "startup_runs": len(startup["launcher"]["times"]),
        "own_work_200_ms": phase("probe200", "entry_to_create_us"),
        "own_work_10000_ms": phase("probe10000", "entry_to_create_us"),
        "exec_to_create_200_ms": phase("probe200", "exec_to_create_us"),
        "exec_to_create_10000_ms": phase("probe10000", "exec_to_create_us"),
        "after_main_200_ms": phase("probe200", "main_to_exit_us"),
        "after_main_10000_ms": phase("probe10000", "main_to_exit_us"),
        "after_main_reaped_200_ms": phase("probe200", "main_to_reaped_us"),
        "after_main_reaped_10000_ms": phase("probe10000", "main_to_reaped_us"),
        "phase_runs": phases["probe200"]["runs"],
        "hwm_launcher_kib": launcher_kb,
        "hwm_empty_kib": empty_kb,
        "hwm_above_empty_mib": (launcher_kb - empty_kb) / MIB,
        "instructions_to_jvm_library_200": instructions,
        "instructions_empty_process": instructions_empty,
        "instructions_environment_variables": environment_size,
        "peak_launcher_kib": peaks["launcher"],
        "peak_floor_kib": peaks["floor"],
        "peak_above_floor_mib": (peaks["launcher"] - peaks["floor"]) / MIB,
        "micro_ms": micro,
        "properties_ms": micro["BM_PropertyFile_Load1MB"],
        "properties_bytes_ms": micro["BM_PropertyFile_ReadBytesOnly1MB"],
        "classpath_ms": micro["BM_ClassPath_Build10000Entries200Jars"],
        "readdir_ms": micro["BM_ClassPath_BareReaddir10000Entries"],
        "classpath_ratio": micro["BM_ClassPath_Build10000Entries200Jars"]
        / micro["BM_ClassPath_BareReaddir10000Entries"],
        "resolver_ms": micro["BM_Resolver_10000Offers"],
        # The launcher's own work against the direct calls, without the record's flushes (the
        # direct calls make none); the flushes are given apart.
        "renames_list_ms": micro["BM_Deferred_List1000RenamesUnflushed"],
        "renames_direct_ms": micro["BM_Deferred_Direct1000Renames"],
        "renames_ratio": micro["BM_Deferred_List1000RenamesUnflushed"]
        / micro["BM_Deferred_Direct1000Renames"],
        "deletes_list_ms": micro["BM_Deferred_List1000DeletesUnflushed"],
        "deletes_direct_ms": micro["BM_Deferred_Direct1000Deletes"],
        "deletes_ratio": micro["BM_Deferred_List1000DeletesUnflushed"]
        / micro["BM_Deferred_Direct1000Deletes"],
        "renames_flushed_ms": micro["BM_Deferred_List1000Renames"],
        "renames_flush_cost_ms": micro["BM_Deferred_List1000Renames"]
        - micro["BM_Deferred_List1000RenamesUnflushed"],
        "deletes_flushed_ms": micro["BM_Deferred_List1000Deletes"],
        "deletes_flush_cost_ms": micro["BM_Deferred_List1000Deletes"]
        - micro["BM_Deferred_List1000DeletesUnflushed"],
        # A durable update against its operations made durable by one syncfs.
        "renames_synced_direct_ms": micro["BM_Deferred_Direct1000RenamesThenSyncfs"],
        "renames_durable_ratio": micro["BM_Deferred_List1000Renames"]
        / micro["BM_Deferred_Direct1000RenamesThenSyncfs"],
        "deletes_synced_direct_ms": micro["BM_Deferred_Direct1000DeletesThenSyncfs"],
        "deletes_durable_ratio": micro["BM_Deferred_List1000Deletes"]
        / micro["BM_Deferred_Direct1000DeletesThenSyncfs"],
    }


def verdict(value, limit):
    return "met" if value <= limit else "MISSED"


def rows(f):
    return [
        ("1  Start-up, launcher / java -cp (200 jars, medians)",
         "%.3f  (%.1f / %.1f ms)" % (f["startup_ratio"], f["startup_launcher_ms"],
                                      f["startup_java_ms"]),
         "<= 1.00", verdict(f["startup_ratio"], 1.0)),
        ("   Start-up CPU time (user + system), launcher / java -cp",
         "%.3f  (%.1f / %.1f ms)" % (f["startup_cpu_ratio"], f["startup_launcher_cpu_ms"],
                                      f["startup_java_cpu_ms"]), "-", "-"),
        ("2  Own work, entry to JNI_CreateJavaVM, 200 jars",
         "%.3f ms" % f["own_work_200_ms"], "<= 1 ms", verdict(f["own_work_200_ms"], 1.0)),
        ("   Own work in instructions, start to loading the JVM library, 200 jars",
         "%.3f M" % (f["instructions_to_jvm_library_200"] / 1e6), "<= 0.65 M",
         verdict(f["instructions_to_jvm_library_200"], 0.65e6)),
        ("   A process that only starts, the same %d environment variables"
         % f["instructions_environment_variables"],
         "%.3f M" % (f["instructions_empty_process"] / 1e6), "-", "-"),
        ("   Own work, entry to JNI_CreateJavaVM, 10,000 entries",
         "%.3f ms" % f["own_work_10000_ms"], "-", "-"),
        ("   execve to JNI_CreateJavaVM, 200 / 10,000",
         "%.3f / %.3f ms" % (f["exec_to_create_200_ms"], f["exec_to_create_10000_ms"]), "-", "-"),
        ("   main returned to end of exit(), 200 / 10,000",
         "%.3f / %.3f ms" % (f["after_main_200_ms"], f["after_main_10000_ms"]), "-", "-"),
        ("   main returned to process reaped, 200 / 10,000",
         "%.3f / %.3f ms" % (f["after_main_reaped_200_ms"], f["after_main_reaped_10000_ms"]),
         "-", "-"),
        ("3  Property file of 1 MiB: load / read bytes only",
         "%.2f / %.2f ms" % (f["properties_ms"], f["properties_bytes_ms"]), "-", "-"),
        ("   Class path, 10,000 entries x 200 jars / bare readdir",
         "%.2f  (%.2f / %.2f ms)" % (f["classpath_ratio"], f["classpath_ms"], f["readdir_ms"]),
         "<= 2.00", verdict(f["classpath_ratio"], 2.0)),
        ("   Resolver, 10,000 offers", "%.2f ms" % f["resolver_ms"], "-", "-"),
        ("4  1,000 renames, launcher's list unflushed / direct calls",
         "%.2f  (%.1f / %.1f ms)" % (f["renames_ratio"], f["renames_list_ms"],
                                      f["renames_direct_ms"]),
         "<= 1.20", verdict(f["renames_ratio"], 1.2)),
        ("   1,000 deletes, launcher's list unflushed / direct calls",
         "%.2f  (%.1f / %.1f ms)" % (f["deletes_ratio"], f["deletes_list_ms"],
                                      f["deletes_direct_ms"]),
         "<= 1.20", verdict(f["deletes_ratio"], 1.2)),
        ("   The syncs of a durable run: 1,000 renames / deletes",
         "%+.1f / %+.1f ms  (%.1f / %.1f ms in all)" % (
             f["renames_flush_cost_ms"], f["deletes_flush_cost_ms"], f["renames_flushed_ms"],
             f["deletes_flushed_ms"]), "-", "-"),
        ("   1,000 renames, durable: launcher's list / direct calls and one syncfs",
         "%.2f  (%.1f / %.1f ms)" % (f["renames_durable_ratio"], f["renames_flushed_ms"],
                                      f["renames_synced_direct_ms"]),
         "<= 1.50", verdict(f["renames_durable_ratio"], 1.5)),
        ("   1,000 deletes, durable: launcher's list / direct calls and one syncfs",
         "%.2f  (%.1f / %.1f ms)" % (f["deletes_durable_ratio"], f["deletes_flushed_ms"],
                                      f["deletes_synced_direct_ms"]),
         "<= 1.50", verdict(f["deletes_durable_ratio"], 1.5)),
        ("5  Peak RSS at JNI_CreateJavaVM above empty process",
         "%+.2f MiB  (%.2f / %.2f MiB)" % (f["hwm_above_empty_mib"], f["hwm_launcher_kib"] / MIB,
                                           f["hwm_empty_kib"] / MIB),
         "<= 2 MiB", verdict(f["hwm_above_empty_mib"], 2.0)),
        ("6  Peak RSS of the whole run, real JVM, above the JNI floor",
         "%+.2f MiB  (%.1f / %.1f MiB)" % (f["peak_above_floor_mib"], f["peak_launcher_kib"] / MIB,
                                           f["peak_floor_kib"] / MIB),
         "<= 0.2 MiB", verdict(f["peak_above_floor_mib"], 0.2)),
    ]


def main():
    results = sys.argv[1]
    figures = collect(results)
    with open(os.path.join(results, "results.json"), "w") as f:
        json.dump(figures, f, indent=2, sort_keys=True)
    table = [("Measure", "Result (medians)", "Target", "Verdict")] + rows(figures)
    widths = [max(len(row[i]) for row in table) for i in range(4)]
    for n, row in enumerate(table):
        print("  ".join(cell.ljust(widths[i]) for i, cell in enumerate(row)).rstrip())
        if n == 0:
            print("  ".join("-" * w for w in widths))
    print("\n%d start-up runs each; %d in-process runs per installation; results in %s"
          % (figures["startup_runs"], figures["phase_runs"], results))


if __name__ == "__main__":
    main()
