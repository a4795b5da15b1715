#!/bin/sh
# A throw-away single-node Slurm cluster for tests, from Debian's packages.
#   tools/slurm_single_node.sh start DIR   installs slurm-wlm and munge when missing (as root, with apt-get),
#                                          starts munged, slurmctld and slurmd with a configuration in DIR and
#                                          waits until the node takes jobs; prints SLURM_CONF=DIR/slurm.conf
#   tools/slurm_single_node.sh stop DIR    stops the daemons it started
# Exit code 77 (and a line starting "SKIP:") when Slurm cannot be started here. Every wait is bounded.
set -u

skip() { echo "SKIP: $*"; exit 77; }

bounded_wait() {  # seconds command...: true once the command succeeds
    limit=$1; shift
    i=0
    while [ "$i" -lt "$limit" ]; do
        "$@" >/dev/null 2>&1 && return 0
        sleep 1
        i=$((i + 1))
    done
    return 1
}

install_packages() {
    command -v slurmctld >/dev/null 2>&1 && command -v slurmd >/dev/null 2>&1 && command -v munged >/dev/null 2>&1 \
        && command -v sbatch >/dev/null 2>&1 && return 0
    [ "$(id -u)" = 0 ] || skip "slurm-wlm is not installed and installing it needs root"
    command -v apt-get >/dev/null 2>&1 || skip "slurm-wlm is not installed and apt-get is not available"
    export DEBIAN_FRONTEND=noninteractive
    timeout 600 apt-get install -y --no-install-recommends slurm-wlm munge >/dev/null 2>&1 \
        || { timeout 300 apt-get update >/dev/null 2>&1 \
             && timeout 600 apt-get install -y --no-install-recommends slurm-wlm munge >/dev/null 2>&1; } \
        || skip "apt-get could not install slurm-wlm and munge"
}

PATH=$PATH:/usr/sbin:/sbin
export PATH

start_munge() {
    if [ -S /run/munge/munge.socket.2 ] && munge -n </dev/null >/dev/null 2>&1; then
        return 0  # a munged is already serving
    fi
    [ "$(id -u)" = 0 ] || skip "munged is not running and starting it needs root"
    mkdir -p /run/munge /var/log/munge /var/lib/munge /etc/munge
    if [ ! -s /etc/munge/munge.key ]; then
        dd if=/dev/urandom of=/etc/munge/munge.key bs=1024 count=1 2>/dev/null || skip "cannot create a munge key"
    fi
    chown -R munge:munge /run/munge /var/log/munge /var/lib/munge /etc/munge 2>/dev/null
    chmod 0400 /etc/munge/munge.key
    chmod 0755 /run/munge
    runuser -u munge -- munged >/dev/null 2>&1 || munged --force >/dev/null 2>&1 || skip "munged does not start"
    touch "$DIR/munged.started"
    bounded_wait 10 munge -n || skip "munged does not answer"
}

free_port() {  # a TCP port nothing listens on, from $1 upwards
    p=$1
    while [ "$p" -lt $(($1 + 200)) ]; do
        if ! (ss -ltn 2>/dev/null || netstat -ltn 2>/dev/null) | grep -q ":$p "; then
            echo "$p"
            return
        fi
        p=$((p + 1))
    done
    echo "$1"
}

write_conf() {
    host=$(hostname -s)
    cpus=$(nproc)
    ctld=$(free_port $((20000 + $$ % 20000)))
    node=$(free_port $((ctld + 1)))
    mkdir -p "$DIR/state" "$DIR/spool"
    cat >"$DIR/slurm.conf" <<CONF
ClusterName=voskaratest
SlurmctldHost=$host
SlurmctldPort=$ctld
SlurmdPort=$node
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
StateSaveLocation=$DIR/state
SlurmdSpoolDir=$DIR/spool
SlurmctldPidFile=$DIR/slurmctld.pid
SlurmdPidFile=$DIR/slurmd.pid
SlurmctldLogFile=$DIR/slurmctld.log
SlurmdLogFile=$DIR/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
SchedulerType=sched/backfill
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
ReturnToService=2
MpiDefault=none
NodeName=$host CPUs=$cpus State=UNKNOWN
PartitionName=test Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
}

start() {
    install_packages
    start_munge
    write_conf
    export SLURM_CONF="$DIR/slurm.conf"
    slurmctld -f "$SLURM_CONF" >/dev/null 2>&1 || skip "slurmctld does not start (see $DIR/slurmctld.log)"
    slurmd -f "$SLURM_CONF" >/dev/null 2>&1 || skip "slurmd does not start (see $DIR/slurmd.log)"
    bounded_wait 30 sh -c 'sinfo -h -o %t | grep -Eq "^(idle|mix|alloc)"' \
        || skip "the Slurm node does not become idle (see $DIR/slurmd.log)"
    echo "SLURM_CONF=$SLURM_CONF"
}

stop_pidfile() {
    [ -f "$1" ] || return 0
    pid=$(cat "$1")
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    i=0
    while [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null && [ "$i" -lt 10 ]; do sleep 1; i=$((i + 1)); done
    [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
    rm -f "$1"
}

stop() {
    stop_pidfile "$DIR/slurmd.pid"
    stop_pidfile "$DIR/slurmctld.pid"
    if [ -f "$DIR/munged.started" ] && [ -f /run/munge/munged.pid ]; then
        stop_pidfile /run/munge/munged.pid
        rm -f "$DIR/munged.started"
    fi
}

[ $# -eq 2 ] || { echo "usage: $0 start|stop DIR" >&2; exit 2; }
mkdir -p "$2"
DIR=$(cd "$2" && pwd)
case $1 in
start) start ;;
stop) stop ;;
*) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
